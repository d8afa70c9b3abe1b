#include "app/win32/folder_browser.h"

#include <shobjidl.h>

#include <string>
#include <utility>

#include "app/save_folder_box.h"
#include "app/win32/win32_text.h"

namespace qimbra {

namespace {

FolderBrowser& CurrentBrowser() {
    static FolderBrowser browser;
    return browser;
}

// Releases a COM interface when it goes.
template <typename T>
class ComRef {
  public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (pointer_ != nullptr) pointer_->Release();
    }
    T** out() { return &pointer_; }
    T* operator->() const { return pointer_; }
    [[nodiscard]] T* get() const { return pointer_; }

  private:
    T* pointer_ = nullptr;
};

std::optional<Text> SystemPicker(HWND owner, const Text& title, const Text& start_folder) {
    ComRef<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                reinterpret_cast<void**>(dialog.out())))) {
        return Text();
    }
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    dialog->SetTitle(Wide(title).c_str());
    if (!start_folder.empty()) {
        ComRef<IShellItem> folder;
        if (SUCCEEDED(SHCreateItemFromParsingName(Wide(start_folder).c_str(), nullptr, IID_IShellItem,
                                                  reinterpret_cast<void**>(folder.out())))) {
            dialog->SetFolder(folder.get());
        }
    }
    if (FAILED(dialog->Show(owner))) return Text();  // cancelled
    ComRef<IShellItem> chosen;
    if (FAILED(dialog->GetResult(chosen.out()))) return Text();
    wchar_t* path = nullptr;
    if (FAILED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path)) || path == nullptr) return Text();
    const std::u16string units = Units(path);
    CoTaskMemFree(path);
    Text bytes;
    if (!ExactCp936(units, bytes)) return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<Text> BrowseForFolder(HWND owner, const Text& title, const Text& start_folder) {
    if (const FolderBrowser& browser = CurrentBrowser()) return browser(owner, title, start_folder);
    return SystemPicker(owner, title, start_folder);
}

void ReplaceFolderBrowser(FolderBrowser browser) { CurrentBrowser() = std::move(browser); }

}  // namespace qimbra
