#include "app/qt/program.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

namespace qimbra {
namespace {

struct Outcome {
    bool finished = false;
    int exit_code = -1;
    QString out;
    QString err;
};

// Runs the program's real start and end in a child process, playing `scene`.
Outcome RunScene(const char* scene) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(env);
    child.start(QStringLiteral(QIMBRA_APP_TEST_PROGRAM), {QString::fromLatin1(scene)});
    Outcome outcome;
    outcome.finished = child.waitForFinished(15000);
    if (!outcome.finished) {
        child.kill();
        child.waitForFinished(2000);
    }
    outcome.exit_code = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1000;
    outcome.out = QString::fromUtf8(child.readAllStandardOutput());
    outcome.err = QString::fromUtf8(child.readAllStandardError());
    return outcome;
}

// The window closes while a worker is blocked in a notice: the exit handler
// runs, the process ends with 0 at once, and a notice asked for after the end
// does not hang.
TEST(ProgramEnd, ClosingTheWindowDuringANoticeEndsWithZero) {
    const Outcome outcome = RunScene("close-during-notice");
    ASSERT_TRUE(outcome.finished) << outcome.out.toStdString();
    EXPECT_EQ(outcome.exit_code, 0) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.out.contains("notice shown")) << outcome.out.toStdString();
    EXPECT_TRUE(outcome.out.contains("save directory after exit handler: ''")) << outcome.out.toStdString();
    EXPECT_TRUE(outcome.out.contains("late notice: -1")) << outcome.out.toStdString();
}

// The run-time error raised on a worker shows its box on the window thread,
// without an owner, and ends the program with -1 once the box is closed.
TEST(ProgramEnd, FatalErrorOnAWorkerShowsItsBoxAndEndsWithMinusOne) {
    const Outcome outcome = RunScene("fatal-from-worker");
    ASSERT_TRUE(outcome.finished) << outcome.out.toStdString();
    EXPECT_EQ(outcome.exit_code, 255) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.out.contains("box: ")) << outcome.out.toStdString();
    EXPECT_TRUE(outcome.out.contains("index 3 past the element count 2")) << outcome.out.toStdString();
    EXPECT_TRUE(outcome.out.contains("owner: none | icon: 3")) << outcome.out.toStdString();
    EXPECT_FALSE(outcome.out.contains("the event loop ended")) << outcome.out.toStdString();
}

}  // namespace
}  // namespace qimbra
