#include "app/qt/program.h"

#include <QApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string_view>
#include <thread>

#include "app/qt/main_window.h"
#include "app/qt/notice_box.h"
#include "app/qt/start_button.h"
#include "app/qt/translations.h"
#include "app/save_directory.h"
#include "collect/run_settings.h"
#include "platform/event_queue.h"
#include "platform/fatal.h"
#include "values/text.h"

namespace qimbra {

namespace {

// The run-time error's box, with no owner and no time-out. The thread that
// raised the error waits for it to close (a worker's box is shown on the
// window thread), then the platform layer ends the process.
void ShowFatalErrorBox(std::string_view message) {
    NoticeBoxRequest request;
    request.message = (QStringLiteral("运行时错误：") + QString::fromUtf8(message.data(), qsizetype(message.size())))
                          .toStdU16String();
    request.title = u"Qimbra采集器";
    request.style = 0x10;  // OK, error icon
    ShowNoticeBox(request);
}

// The window layer: Qt, with the window thread's pump and the fatal error's
// box handed to the platform layer.
void InstallWindowLayer() {
    platform::InstallWindowPump(std::this_thread::get_id(), [] { QCoreApplication::processEvents(); });
    platform::SetFatalErrorHook(ShowFatalErrorBox);
}

void RunStartUpStep() {}

}  // namespace

void RunProgram(int& argc, char** argv, const ProgramHooks& hooks) {
    QApplication app(argc, argv);
    InstallQtTranslations(app);
    InstallWindowLayer();
    RegisterExitHandler(OnProgramExit);
    RunStartUpStep();

    MainWindow window;
    QObject::connect(&window, &MainWindow::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    ConnectStartButton(window, BuildTimeSettings());
    window.show();
    if (hooks.window_shown) {
        hooks.window_shown(window);
    }
    app.exec();

    // Workers still waiting for a notice are set free and later notices
    // return at once, so none of them waits on a loop that is gone.
    EndNoticeBoxes();
    RunExitHandler();
    if (hooks.ending) {
        hooks.ending();
    }
    EndProcess(0);
}

}  // namespace qimbra
