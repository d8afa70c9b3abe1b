#include "app/qt/folder_browser.h"

#include <QDir>
#include <QFileDialog>
#include <QString>
#include <optional>
#include <utility>

#include "app/qt/qt_text.h"

namespace qimbra {

namespace {

std::optional<Text> BrowseWithDialog(QWidget* owner, const Text& title, const Text& start_folder) {
    // Qt's own dialog, not the desktop's: it always has the path field, and
    // exec() makes it modal over every window of the program, which gets its
    // enabled state and the active window back when the dialog closes.
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, ToQString(title), ToQString(start_folder), QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (chosen.isEmpty()) {
        return Text();
    }
    return ExactTextFromQString(QDir::toNativeSeparators(chosen));
}

FolderBrowser& CurrentBrowser() {
    static FolderBrowser browser;
    return browser;
}

}  // namespace

std::optional<Text> BrowseForFolder(QWidget* owner, const Text& title, const Text& start_folder) {
    const FolderBrowser& browser = CurrentBrowser();
    return browser ? browser(owner, title, start_folder) : BrowseWithDialog(owner, title, start_folder);
}

void ReplaceFolderBrowser(FolderBrowser browser) { CurrentBrowser() = std::move(browser); }

}  // namespace qimbra
