// The shell's tests share one QApplication on Qt's offscreen platform, living
// on the main thread, which is the window thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <thread>

#include "platform/event_queue.h"

namespace {

QtMessageHandler g_earlier_handler = nullptr;

// The offscreen platform says this for every dialog it shows; nothing to see.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("does not support propagateSizeHints"))) {
        return;
    }
    g_earlier_handler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    g_earlier_handler = qInstallMessageHandler(QuietMessages);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    qimbra::platform::InstallWindowPump(std::this_thread::get_id(), [] { QCoreApplication::processEvents(); });
    return RUN_ALL_TESTS();
}
