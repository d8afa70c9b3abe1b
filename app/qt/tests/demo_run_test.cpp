// For people: a run of the real window against a running demo gallery, at
// the real pacing, to show in the README.
//   QIMBRA_DEMO_HOSTS=127.0.0.1:28443,localhost:28444
//   QIMBRA_DEMO_FOLDER=<folder to save into>
//   QIMBRA_DEMO_SCREENSHOT=<file.png>  (the window while the third entry loads)
//   QIMBRA_DEMO_SCREENSHOT_DONE=<file.png>  (optional: the window after the run)
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/qt/main_window.h"
#include "app/qt/start_button.h"
#include "app/save_directory.h"
#include "qt_helpers.h"
#include "values/literal.h"

namespace qimbra {
namespace {

using test::PumpUntil;
using test::VisibleBoxes;

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

TEST(DemoRun, SavesTheWindowDuringARun) {
    const std::string hosts = Environment("QIMBRA_DEMO_HOSTS");
    const std::string folder = Environment("QIMBRA_DEMO_FOLDER");
    const std::string screenshot = Environment("QIMBRA_DEMO_SCREENSHOT");
    const size_t comma = hosts.find(',');
    if (comma == std::string::npos || folder.empty() || screenshot.empty()) {
        GTEST_SKIP() << "set QIMBRA_DEMO_HOSTS, QIMBRA_DEMO_FOLDER and QIMBRA_DEMO_SCREENSHOT for a demo run";
    }
    SetSaveDirectory(Text());
    MainWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ConnectStartButton(window, RunSettings{.page_host = Cp936(hosts.substr(0, comma)),
                                           .image_host = Cp936(hosts.substr(comma + 1)),
                                           .pause_ms = 500});
    auto* box = window.findChild<QLineEdit*>(QStringLiteral("编辑框1"));
    box->setText(QString::fromLocal8Bit(folder));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("按钮_采集")), Qt::LeftButton);

    auto* line = window.findChild<QLabel*>(QStringLiteral("标签_进度"));
    ASSERT_TRUE(PumpUntil(
        [&] {
            return line->text().startsWith(QStringLiteral("第 3/")) && !line->text().contains(QStringLiteral("第 0/"));
        },
        60000))
        << line->text().toStdString();
    EXPECT_TRUE(window.grab().save(QString::fromLocal8Bit(screenshot), "PNG"));

    ASSERT_TRUE(PumpUntil([] { return !VisibleBoxes(QStringLiteral("友情提醒")).empty(); }, 120000));
    QMessageBox* notice = VisibleBoxes(QStringLiteral("友情提醒")).front();
    EXPECT_EQ(notice->text(), QStringLiteral("采集完成"));
    notice->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(PumpUntil([&] { return line->text().startsWith(QStringLiteral("完成")); }, 5000));
    std::printf("progress line at the end: %s\n", line->text().toUtf8().constData());
    const std::string done_screenshot = Environment("QIMBRA_DEMO_SCREENSHOT_DONE");
    if (!done_screenshot.empty()) {
        QTest::qWait(200);
        EXPECT_TRUE(window.grab().save(QString::fromLocal8Bit(done_screenshot), "PNG"));
    }
}

}  // namespace
}  // namespace qimbra
