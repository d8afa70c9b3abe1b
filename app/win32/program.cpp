#include "app/win32/program.h"

#include <windows.h>
// windows.h first: these build on it.
#include <commctrl.h>
#include <objbase.h>

#include <string>
#include <string_view>
#include <thread>

#include "app/win32/main_window.h"
#include "app/win32/win32_text.h"
#include "collect/run_settings.h"
#include "platform/encoding.h"
#include "platform/event_queue.h"
#include "platform/fatal.h"
#include "values/literal.h"

namespace qimbra {

namespace {

// The run-time error's box, with no owner and no time-out, on the thread that
// raised the error; then the platform layer ends the process.
void ShowFatalErrorBox(std::string_view message) {
    const std::wstring text =
        Wide(platform::ToUtf16(platform::kCodePageUtf8, std::string("运行时错误：") + std::string(message)));
    MessageBoxW(nullptr, text.c_str(), Wide(MainWindowTitle()).c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void PumpWindowMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void InstallWindowLayer() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    platform::InstallWindowPump(std::this_thread::get_id(), PumpWindowMessages);
    platform::SetFatalErrorHook(ShowFatalErrorBox);
}

void RunStartUpStep() {}

}  // namespace

void RunProgram(const ProgramHooks& hooks) {
    InstallWindowLayer();
    RegisterExitHandler(OnProgramExit);
    RunStartUpStep();

    {
        MainWindow window;
        if (!window.Create()) EndProcess(1);
        window.SetClosedHandler([] { PostQuitMessage(0); });
        window.logic().SetRunSettings(BuildTimeSettings());
        ShowWindow(window.handle(), SW_SHOWNORMAL);
        UpdateWindow(window.handle());
        if (hooks.window_shown) hooks.window_shown(window);

        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (IsDialogMessageW(window.handle(), &message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        RunExitHandler();
        if (hooks.ending) hooks.ending();
        EndProcess(0);
    }
}

}  // namespace qimbra
