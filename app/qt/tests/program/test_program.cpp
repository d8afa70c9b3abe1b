// The program's real start and end, with a scene played through its hooks:
//   close-during-notice  a worker waits in a notice when the window closes
//   fatal-from-worker    a worker raises the run-time error
// Prints what it saw on stdout for the test to check.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "app/qt/main_window.h"
#include "app/qt/program.h"
#include "app/qt/timed_notice.h"
#include "app/save_directory.h"
#include "platform/fatal.h"
#include "values/text.h"

namespace {

using qimbra::MainWindow;
using qimbra::Text;

QMessageBox* VisibleBox() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box != nullptr && box->isVisible()) return box;
    }
    return nullptr;
}

// Calls `act` with the first visible message box, once, as soon as one shows.
void WhenABoxShows(std::function<void(QMessageBox*)> act) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (QMessageBox* box = VisibleBox()) {
            poll->stop();
            act(box);
        }
    });
    poll->start(10);
}

void CloseDuringNotice(qimbra::ProgramHooks& hooks) {
    hooks.window_shown = [](MainWindow& window) {
        qimbra::SetSaveDirectory(Text("/somewhere"));
        std::thread([] {
            const int32_t answer =
                qimbra::TimedNotice(Text("waiting"), std::nullopt, std::nullopt, std::nullopt, 60000);
            std::printf("worker freed: %d\n", answer);
            std::fflush(stdout);
            // Still running while the program ends.
            for (;;) {
                (void)qimbra::SaveDirectory();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }).detach();
        WhenABoxShows([&window](QMessageBox*) {
            std::printf("notice shown\n");
            window.close();
        });
    };
    hooks.ending = [] {
        std::printf("save directory after exit handler: '%s'\n", qimbra::SaveDirectory().c_str());
        // A notice asked for after the end returns at once.
        auto late = std::make_shared<std::promise<int32_t>>();
        auto answer = late->get_future();
        std::thread([late] { late->set_value(qimbra::TimedNotice(Text("late"))); }).detach();
        if (answer.wait_for(std::chrono::seconds(3)) == std::future_status::ready) {
            std::printf("late notice: %d\n", answer.get());
        } else {
            std::printf("late notice hung\n");
        }
    };
}

void FatalFromWorker(qimbra::ProgramHooks& hooks) {
    hooks.window_shown = [](MainWindow&) {
        std::thread([] { qimbra::platform::FatalError("index 3 past the element count 2"); }).detach();
        WhenABoxShows([](QMessageBox* box) {
            std::printf("box: %s | owner: %s | icon: %d\n", box->text().toUtf8().constData(),
                        box->parentWidget() != nullptr ? "some" : "none", int(box->icon()));
            std::fflush(stdout);
            box->button(QMessageBox::Ok)->click();
        });
    };
    hooks.ending = [] { std::printf("the event loop ended\n"); };
}

}  // namespace

int main(int argc, char** argv) {
    const std::string scene = argc > 1 ? argv[1] : "";
    qimbra::ProgramHooks hooks;
    if (scene == "close-during-notice") {
        CloseDuringNotice(hooks);
    } else if (scene == "fatal-from-worker") {
        FatalFromWorker(hooks);
    } else {
        std::fprintf(stderr, "unknown scene '%s'\n", scene.c_str());
        return 2;
    }
    qimbra::RunProgram(argc, argv, hooks);
}
