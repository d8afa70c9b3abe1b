#include "app/win32/folder_opener.h"

#include <windows.h>
// windows.h first: the shell header builds on it.
#include <shellapi.h>

#include <utility>

#include "app/win32/win32_text.h"

namespace qimbra {

namespace {

std::function<bool(const Text&)>& CurrentOpener() {
    static std::function<bool(const Text&)> opener;
    return opener;
}

}  // namespace

bool OpenFolderInFileManager(const Text& folder) {
    if (const auto& opener = CurrentOpener()) return opener(folder);
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", Wide(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

void ReplaceFolderOpener(std::function<bool(const Text& folder)> opener) { CurrentOpener() = std::move(opener); }

}  // namespace qimbra
