#include "app/qt/folder_opener.h"

#include <QDesktopServices>
#include <QUrl>
#include <utility>

#include "app/qt/qt_text.h"

namespace qimbra {

namespace {

std::function<bool(const Text&)>& CurrentOpener() {
    static std::function<bool(const Text&)> opener;
    return opener;
}

}  // namespace

bool OpenFolderInFileManager(const Text& folder) {
    if (const auto& opener = CurrentOpener()) return opener(folder);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(folder)));
}

void ReplaceFolderOpener(std::function<bool(const Text& folder)> opener) { CurrentOpener() = std::move(opener); }

}  // namespace qimbra
