#pragma once

#include <windows.h>

#include <vector>

#include "collect/run_failure.h"

namespace qimbra {

// Opens a window over `owner` titled "失败列表" listing `failures` in a
// report-mode list view, one row each (entry title, image number, address,
// reason, see FailureRowOf), with a button "复制全部" that puts the whole
// list on the clipboard as text (FailureListText). The list holds no texts of
// its own: a row's are made when it is drawn, so thousands cost nothing. The
// window frees itself when closed; its handle is returned for tests.
// Window thread only.
HWND ShowFailureList(HWND owner, std::vector<RunFailure> failures);

// The list view and the copy button inside a window ShowFailureList made.
[[nodiscard]] HWND FailureListView(HWND list_window);
[[nodiscard]] HWND FailureCopyButton(HWND list_window);

}  // namespace qimbra
