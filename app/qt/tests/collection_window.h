// The fixture for whole collection runs through the real window: the folder
// typed into 编辑框1, a click of 按钮_采集, the closing notice and the
// progress line, against the loopback gallery.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/qt/main_window.h"
#include "app/qt/start_button.h"
#include "app/save_directory.h"
#include "qt_helpers.h"
#include "testing/gallery/gallery_fixture.h"
#include "testing/temp_dir.h"

namespace qimbra::test {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using testing::FixtureGallery;
using testing::Jpeg;

inline QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// Opens when the test says so; image requests that wait on it hold their run
// at a known place. It opens by itself after 15 s, so that a failed test
// never leaves a server thread waiting forever.
class Gate {
  public:
    void Open() { open_ = true; }
    void Wait() const {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (!open_ && std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

  private:
    std::atomic<bool> open_{false};
};

class CollectionWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        SetSaveDirectory(Text());
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }
    void TearDown() override {
        // No run may outlive the gallery and the folder it writes to.
        for (Gate& gate : gates_) gate.Open();
        CloseDoneNotices(open_runs_);
    }

    // Types `folder` into 编辑框1 and clicks 按钮_采集, for a run against
    // `gallery` without pauses.
    void StartRun(const FixtureGallery& gallery, const std::string& folder, int pause_ms = 0) {
        ConnectStartButton(window_, gallery.Settings(pause_ms));
        auto* box = window_.findChild<QLineEdit*>(Q("编辑框1"));
        box->setText(QString::fromStdString(folder));
        QTest::mouseClick(window_.findChild<QPushButton*>(Q("按钮_采集")), Qt::LeftButton);
        ++open_runs_;
    }

    // Waits for `count` closing notices, one after another, and presses OK on
    // each; true when all of them came.
    bool CloseDoneNotices(int count) {
        for (int i = 0; i < count; ++i) {
            if (!CloseNotice(Q("采集完成"))) return false;
            --open_runs_;
        }
        return true;
    }

    // Waits for one notice showing `text` and presses OK on it.
    bool CloseNotice(const QString& text) {
        QMessageBox* box = nullptr;
        const bool shown = PumpUntil(
            [&] {
                const auto boxes = VisibleBoxes(Q("友情提醒"));
                box = boxes.empty() ? nullptr : boxes.front();
                return box != nullptr;
            },
            20000);
        if (!shown) return false;
        EXPECT_EQ(box->text(), text);
        box->button(QMessageBox::Ok)->click();
        return true;
    }

    QString Box() { return window_.findChild<QLineEdit*>(Q("编辑框1"))->text(); }
    QString Line() { return window_.findChild<QLabel*>(Q("标签_进度"))->text(); }
    bool LineBecomes(const char* utf8, int timeout_ms = 10000) {
        return PumpUntil([&] { return Line() == Q(utf8); }, timeout_ms);
    }

    // A gate for an image of `gallery`: its request waits until it opens.
    Gate& GateImage(FixtureGallery& gallery, const std::string& name, std::string body) {
        Gate& gate = gates_.emplace_back();
        gallery.images().Handle("GET", FixtureGallery::ImagePath(name),
                                [&gate, body](const testing::Request&, testing::Response& response) {
                                    gate.Wait();
                                    response.body = body;
                                });
        return gate;
    }

    testing::TempDir temp_;
    MainWindow window_;

    int open_runs_ = 0;

  private:
    std::deque<Gate> gates_;
};

}  // namespace qimbra::test
