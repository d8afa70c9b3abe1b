#include "app/win32/timed_notice.h"

#include <atomic>
#include <string>

#include "app/win32/win32_text.h"
#include "values/literal.h"

namespace qimbra {

namespace {

// What a message box answers when its own timer closed it.
constexpr int kTimedOutAnswer = 32000;
constexpr UINT_PTR kCloseTimer = 1;

std::atomic<HWND> g_owner{nullptr};

// The box being opened on this thread: the hook sees it first and gives it
// its timer.
thread_local HHOOK t_hook = nullptr;
thread_local int32_t t_timeout_ms = -1;

void CALLBACK CloseBox(HWND box, UINT, UINT_PTR timer, DWORD) {
    KillTimer(box, timer);
    EndDialog(box, kTimedOutAnswer);
}

LRESULT CALLBACK WatchForBox(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wparam);
        wchar_t class_name[16] = {};
        GetClassNameW(box, class_name, 16);
        if (std::wstring_view(class_name) == L"#32770") {
            if (t_timeout_ms >= 0) SetTimer(box, kCloseTimer, static_cast<UINT>(t_timeout_ms), CloseBox);
            UnhookWindowsHookEx(t_hook);
            t_hook = nullptr;
            return 0;
        }
    }
    return CallNextHookEx(t_hook, code, wparam, lparam);
}

}  // namespace

void SetNoticeOwner(HWND owner) { g_owner = owner; }

int32_t TimedNotice(const Text& message, std::optional<HWND> owner, int32_t timeout_ms) {
    static const Text kTitle = Cp936("友情提醒");
    const std::wstring text = Wide(message);
    const std::wstring title = Wide(kTitle);
    t_timeout_ms = timeout_ms;
    t_hook = SetWindowsHookExW(WH_CBT, WatchForBox, nullptr, GetCurrentThreadId());
    const HWND parent = owner.value_or(g_owner.load());
    // A box owned by another thread's window would tie the two threads'
    // input together; from a worker it stays on top of the window instead.
    const bool same_thread = parent != nullptr && GetWindowThreadProcessId(parent, nullptr) == GetCurrentThreadId();
    const UINT style = MB_OK | MB_SETFOREGROUND | (same_thread || parent == nullptr ? 0 : MB_TOPMOST);
    const int answer = MessageBoxW(same_thread ? parent : nullptr, text.c_str(), title.c_str(), style);
    if (t_hook != nullptr) {
        UnhookWindowsHookEx(t_hook);
        t_hook = nullptr;
    }
    if (answer == 0) return -1;
    return answer - 1;
}

}  // namespace qimbra
