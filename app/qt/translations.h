#pragma once

class QCoreApplication;

namespace qimbra {

// Loads Qt's own translations (the dialogs' buttons and the folder browser)
// for the user's language, falling back to simplified Chinese when there are
// none for it, and installs them into `app`. False when neither could be
// loaded; Qt's English then stays.
bool InstallQtTranslations(QCoreApplication& app);

}  // namespace qimbra
