#pragma once

#include <vector>

#include "collect/run_failure.h"

class QDialog;
class QWidget;

namespace qimbra {

// Opens a window over `owner` listing `failures`, one row each (entry title,
// image number, address, reason, see FailureRowOf), with a button that copies
// the whole list as text (FailureListText). The list is a model/view table,
// so thousands of rows cost nothing until they are shown. The window deletes
// itself when closed; it is returned for tests. Window thread only.
QDialog* ShowFailureList(QWidget* owner, std::vector<RunFailure> failures);

}  // namespace qimbra
