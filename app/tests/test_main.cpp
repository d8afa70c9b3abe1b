// The shell's tests share one QApplication on Qt's offscreen platform, living
// on the main thread, which is the window thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <thread>

#include "platform/event_queue.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    qimbra::platform::InstallWindowPump(std::this_thread::get_id(), [] { QCoreApplication::processEvents(); });
    return RUN_ALL_TESTS();
}
