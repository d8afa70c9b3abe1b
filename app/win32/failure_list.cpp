#include "app/win32/failure_list.h"

#include <commctrl.h>

#include <cstring>
#include <string>
#include <utility>

#include "app/failure_rows.h"
#include "app/win32/win32_text.h"
#include "values/literal.h"

namespace qimbra {

namespace {

constexpr int kListId = 101;
constexpr int kCopyId = 102;
constexpr wchar_t kClassName[] = L"QimbraFailureList";
constexpr int kColumnWidths[kFailureColumns] = {140, 56, 280, 140};

struct FailureWindow {
    std::vector<RunFailure> failures;
    std::wstring cell;  // the text of the cell drawn last
};

FailureWindow* StateOf(HWND window) {
    return reinterpret_cast<FailureWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void Layout(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    MoveWindow(GetDlgItem(window, kListId), 8, 8, width - 16, height - 52, TRUE);
    MoveWindow(GetDlgItem(window, kCopyId), width - 104, height - 36, 96, 28, TRUE);
}

void CopyAll(HWND window, const FailureWindow& state) {
    const std::wstring text = Wide(FailureListText(state.failures));
    if (!OpenClipboard(window)) return;
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* target = GlobalLock(memory)) {
            std::memcpy(target, text.c_str(), bytes);
            GlobalUnlock(memory);
            if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

LRESULT CALLBACK FailureWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    FailureWindow* state = StateOf(window);
    switch (message) {
        case WM_SIZE:
            Layout(window);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wparam) == kCopyId && state != nullptr) CopyAll(window, *state);
            return 0;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lparam);
            if (header->idFrom == kListId && header->code == LVN_GETDISPINFOW && state != nullptr) {
                auto* info = reinterpret_cast<NMLVDISPINFOW*>(lparam);
                const size_t row = static_cast<size_t>(info->item.iItem);
                const size_t column = static_cast<size_t>(info->item.iSubItem);
                if ((info->item.mask & LVIF_TEXT) != 0 && row < state->failures.size() && column < kFailureColumns) {
                    state->cell = Wide(FailureRowOf(state->failures[row])[column]);
                    info->item.pszText = state->cell.data();
                }
                return 0;
            }
            break;
        }
        case WM_NCDESTROY:
            delete state;
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void RegisterOnce() {
    static const bool registered = [] {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof(window_class);
        window_class.lpfnWndProc = FailureWindowProc;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        window_class.lpszClassName = kClassName;
        return RegisterClassExW(&window_class) != 0;
    }();
    (void)registered;
}

}  // namespace

HWND ShowFailureList(HWND owner, std::vector<RunFailure> failures) {
    RegisterOnce();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const HWND window = CreateWindowExW(0, kClassName, Wide(Cp936("失败列表")).c_str(), WS_OVERLAPPEDWINDOW,
                                        CW_USEDEFAULT, CW_USEDEFAULT, 640, 360, owner, nullptr, instance, nullptr);
    if (window == nullptr) return nullptr;
    auto* state = new FailureWindow{std::move(failures), {}};
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));

    const HWND list =
        CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0, 0, 0,
                        window, reinterpret_cast<HMENU>(kListId), instance, nullptr);
    SendMessageW(list, WM_SETFONT, font, TRUE);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (int column = 0; column < kFailureColumns; ++column) {
        std::wstring header = Wide(FailureHeaders()[static_cast<size_t>(column)]);
        LVCOLUMNW entry{};
        entry.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        entry.pszText = header.data();
        entry.cx = kColumnWidths[column];
        entry.iSubItem = column;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&entry));
    }
    ListView_SetItemCountEx(list, static_cast<int>(state->failures.size()), LVSICF_NOINVALIDATEALL);

    const HWND copy = CreateWindowExW(0, L"BUTTON", Wide(Cp936("复制全部")).c_str(),
                                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, window,
                                      reinterpret_cast<HMENU>(kCopyId), instance, nullptr);
    SendMessageW(copy, WM_SETFONT, font, TRUE);
    Layout(window);
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

HWND FailureListView(HWND list_window) { return GetDlgItem(list_window, kListId); }

HWND FailureCopyButton(HWND list_window) { return GetDlgItem(list_window, kCopyId); }

}  // namespace qimbra
