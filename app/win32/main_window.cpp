#include "app/win32/main_window.h"

#include <commctrl.h>
#include <shlobj.h>

#include <utility>

#include "app/save_directory.h"
#include "app/win32/failure_list.h"
#include "app/win32/folder_browser.h"
#include "app/win32/folder_opener.h"
#include "app/win32/timed_notice.h"
#include "app/win32/win32_text.h"
#include "platform/encoding.h"
#include "values/literal.h"

namespace qimbra {

namespace {

constexpr wchar_t kClassName[] = L"QimbraMainWindow";
constexpr UINT kStateReported = WM_APP + 1;
constexpr UINT_PTR kPaceTimer = 1;
constexpr UINT_PTR kTickTimer = 2;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// The start button answers to IDOK, so Enter anywhere in the window presses it.
constexpr int kFirstControlId = 100;

size_t IndexOf(ControlId id) { return static_cast<size_t>(id); }

int CommandIdOf(ControlId id) { return id == ControlId::kStartButton ? IDOK : kFirstControlId + static_cast<int>(id); }

std::u16string KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    std::u16string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) && path != nullptr) folder = Units(path);
    CoTaskMemFree(path);
    while (!folder.empty() && (folder.back() == u'\\' || folder.back() == u'/')) folder.pop_back();
    return folder;
}

bool DriveDExists() { return (GetLogicalDrives() & (1u << 3)) != 0 && GetDriveTypeW(L"D:\\") != DRIVE_NO_ROOT_DIR; }

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void RegisterOnce() {
    static const bool registered = [] {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof(window_class);
        window_class.lpfnWndProc = DefWindowProcW;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        window_class.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        window_class.lpszClassName = kClassName;
        return RegisterClassExW(&window_class) != 0;
    }();
    (void)registered;
}

}  // namespace

Text DefaultSaveFolderText() {
    std::u16string pictures = KnownFolder(FOLDERID_Pictures);
    if (pictures.empty()) pictures = HomeFolder();
    return WindowsDefaultSaveFolder(DriveDExists(), Text(platform::Utf16ToCp936(pictures)));
}

std::u16string HomeFolder() { return KnownFolder(FOLDERID_Profile); }

MainWindow::MainWindow() {
    WindowPorts ports;
    ports.show_notice = [](const Text& message) { return TimedNotice(message); };
    // Called on any thread: it only posts a message to the window.
    ports.state_changed = [this] {
        if (window_ != nullptr) PostMessageW(window_, kStateReported, 0, 0);
    };
    logic_ = std::make_unique<WindowLogic>(std::move(ports));
}

MainWindow::~MainWindow() {
    // Runs may outlive the window; the logic cuts them off from it first.
    logic_.reset();
    SetNoticeOwner(nullptr);
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (font_ != nullptr) DeleteObject(font_);
}

bool MainWindow::Create() {
    RegisterOnce();
    RECT frame{0, 0, kMainWindowRect.width, kMainWindowRect.height};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    window_ = CreateWindowExW(0, kClassName, Wide(MainWindowTitle()).c_str(), kWindowStyle, kMainWindowRect.x,
                              kMainWindowRect.y, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) return false;
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWindow::WindowProc));
    CreateControls();
    SetNoticeOwner(window_);
    return true;
}

void MainWindow::CreateControls() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        font_ = CreateFontIndirectW(&metrics.lfMessageFont);
    }
    const auto font = reinterpret_cast<WPARAM>(font_ != nullptr ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    const HINSTANCE instance = GetModuleHandleW(nullptr);

    // In the order the window holds them, which is also the tab order.
    for (const ControlLayout& control : MainWindowControls()) {
        const wchar_t* window_class = L"BUTTON";
        DWORD style = WS_CHILD | (control.shown_at_first ? WS_VISIBLE : 0);
        DWORD extended = 0;
        switch (control.kind) {
            case ControlKind::kButton:
                style |= WS_TABSTOP |
                         (control.id == ControlId::kStartButton ? BS_DEFPUSHBUTTON : static_cast<DWORD>(BS_PUSHBUTTON));
                break;
            case ControlKind::kLabel:
                window_class = L"STATIC";
                style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY | SS_CENTERIMAGE;
                break;
            case ControlKind::kEdit:
                window_class = L"EDIT";
                style |= WS_TABSTOP | ES_AUTOHSCROLL;
                extended = WS_EX_CLIENTEDGE;
                break;
            case ControlKind::kCheckBox:
                style |= WS_TABSTOP | BS_AUTOCHECKBOX;
                break;
        }
        const HWND handle =
            CreateWindowExW(extended, window_class, Wide(Cp936(control.caption)).c_str(), style, control.rect.x,
                            control.rect.y, control.rect.width, control.rect.height, window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(CommandIdOf(control.id))), instance, nullptr);
        SendMessageW(handle, WM_SETFONT, font, FALSE);
        controls_[IndexOf(control.id)] = handle;
    }
    SendMessageW(Control(ControlId::kSkipBox), BM_SETCHECK, BST_CHECKED, 0);

    tooltip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance, nullptr);
    if (tooltip_ != nullptr) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window_;
        tool.uId = reinterpret_cast<UINT_PTR>(Control(ControlId::kProgressLabel));
        tool.lpszText = tooltip_text_.data();
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }

    SetBoxText(platform::Cp936ToUtf16(DefaultSaveFolderText().view()));
    // A stray Space at launch types into the box instead of starting a run.
    SetFocus(Control(ControlId::kFolderBox));
}

HWND MainWindow::Control(ControlId id) const { return controls_[IndexOf(id)]; }

std::u16string MainWindow::ControlName(HWND control) const {
    for (const ControlLayout& layout : MainWindowControls()) {
        if (control != nullptr && Control(layout.id) == control) return std::u16string(layout.name);
    }
    return {};
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    return self->Handle(message, wparam, lparam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wparam), HIWORD(wparam));
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(IDOK, DC_HASDEFID);
        case kStateReported:
            OnStateReported();
            return 0;
        case WM_TIMER:
            if (wparam == kPaceTimer) {
                KillTimer(window_, kPaceTimer);
                pacing_ = false;
            }
            ShowState();
            return 0;
        case WM_ACTIVATE:
            // The box takes the focus back whenever the window does and no control had it.
            if (LOWORD(wparam) != WA_INACTIVE && GetFocus() == nullptr) SetFocus(Control(ControlId::kFolderBox));
            return 0;
        case WM_CLOSE:
            ShowWindow(window_, SW_HIDE);
            if (closed_) closed_();
            return 0;
        default:
            return DefWindowProcW(window_, message, wparam, lparam);
    }
}

void MainWindow::OnCommand(int id, int code) {
    if (id == IDOK) {
        OnStartClicked();
        return;
    }
    const ControlId control = static_cast<ControlId>(id - kFirstControlId);
    switch (control) {
        case ControlId::kChooseButton:
            if (code == BN_CLICKED) OnChooseFolderClicked();
            break;
        case ControlId::kFailuresButton:
            if (code == BN_CLICKED) OnShowFailuresClicked();
            break;
        case ControlId::kOpenFolderButton:
            if (code == BN_CLICKED) OnOpenFolderClicked();
            break;
        case ControlId::kSkipBox:
            if (code == BN_CLICKED) {
                logic_->SetSkipSavedImages(SendMessageW(Control(ControlId::kSkipBox), BM_GETCHECK, 0, 0) ==
                                           BST_CHECKED);
            }
            break;
        case ControlId::kFolderBox:
            if (code == EN_CHANGE) StoreSaveFolderBox(TextFromWide(BoxText()));
            break;
        default:
            break;
    }
}

void MainWindow::OnStateReported() {
    if (pacing_) return;  // the line is brought up to date soon
    const ULONGLONG since = line_ever_shown_ ? GetTickCount64() - line_shown_at_ : kProgressIntervalMs;
    if (since >= static_cast<ULONGLONG>(kProgressIntervalMs)) {
        ShowState();
    } else {
        pacing_ = true;
        SetTimer(window_, kPaceTimer, static_cast<UINT>(kProgressIntervalMs - since), nullptr);
    }
}

void MainWindow::ShowState() {
    const WindowState state = logic_->State();
    const std::wstring line = Wide(state.progress_line);
    line_shown_at_ = GetTickCount64();
    line_ever_shown_ = true;
    SetWindowTextW(Control(ControlId::kStartButton), Wide(state.start_button_text).c_str());
    SetWindowTextW(Control(ControlId::kProgressLabel), line.c_str());
    if (tooltip_ != nullptr) {
        tooltip_text_ = Wide(state.progress_tooltip);
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = window_;
        tool.uId = reinterpret_cast<UINT_PTR>(Control(ControlId::kProgressLabel));
        tool.lpszText = tooltip_text_.data();
        SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageW(tooltip_, TTM_ACTIVATE, tooltip_text_.empty() ? FALSE : TRUE, 0);
    }
    ShowWindow(Control(ControlId::kFailuresButton), state.failures_button_shown ? SW_SHOWNA : SW_HIDE);
    ShowWindow(Control(ControlId::kOpenFolderButton), state.open_folder_shown ? SW_SHOWNA : SW_HIDE);
    if (state.ticking && !ticking_) SetTimer(window_, kTickTimer, kProgressTickMs, nullptr);
    if (!state.ticking && ticking_) KillTimer(window_, kTickTimer);
    ticking_ = state.ticking;
    if (line_shown_) line_shown_(line);
}

void MainWindow::OnStartClicked() {
    const std::optional<std::u16string> shown = logic_->StartClicked(Units(BoxText()), HomeFolder());
    if (shown) SetBoxText(*shown);
    ShowState();
}

void MainWindow::OnChooseFolderClicked() {
    const Text start_folder = logic_->BrowserStartFolder(Units(BoxText()), HomeFolder());
    const std::optional<Text> chosen = BrowseForFolder(window_, FolderBrowserTitle(), start_folder);
    if (const std::optional<std::u16string> shown = logic_->FolderChosen(chosen)) SetBoxText(*shown);
}

void MainWindow::OnShowFailuresClicked() { ShowFailureList(window_, logic_->Failures()); }

void MainWindow::OnOpenFolderClicked() { OpenFolderInFileManager(logic_->RunFolder()); }

std::wstring MainWindow::BoxText() const { return WindowText(Control(ControlId::kFolderBox)); }

void MainWindow::SetBoxText(const std::u16string& text) {
    SetWindowTextW(Control(ControlId::kFolderBox), Wide(text).c_str());
}

}  // namespace qimbra
