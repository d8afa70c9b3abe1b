// Whole collection runs through the real window: the folder typed into
// 编辑框1, a click of 按钮_采集, the files on disk, the closing notice and the
// progress line, against the loopback gallery.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/qt/folder_opener.h"
#include "app/qt/main_window.h"
#include "app/qt/start_button.h"
#include "app/save_directory.h"
#include "qt_helpers.h"
#include "testing/file_contents.h"
#include "testing/gallery/gallery_fixture.h"
#include "testing/temp_dir.h"
#include "values/literal.h"

namespace qimbra {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using test::PumpUntil;
using test::VisibleBoxes;
using testing::FixtureGallery;
using testing::FolderNames;
using testing::Jpeg;
using testing::ReadWholeFile;
using testing::TreeOf;

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

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
            QMessageBox* box = nullptr;
            const bool shown = PumpUntil(
                [&] {
                    const auto boxes = VisibleBoxes(Q("友情提醒"));
                    box = boxes.empty() ? nullptr : boxes.front();
                    return box != nullptr;
                },
                20000);
            if (!shown) return false;
            EXPECT_EQ(box->text(), Q("采集完成"));
            box->button(QMessageBox::Ok)->click();
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

TEST_F(CollectionWindow, ClickSavesTheGalleryAndShowsTheSummary) {
    FixtureGallery gallery;
    gallery.SetArchive({{"p/1.html", "春日花园"}, {"p/2.html", "雨后"}});
    gallery.SetEntry("p/1.html", {"a", "b"});
    gallery.SetEntry("p/2.html", {"c", "gone", "a"});
    gallery.SetImage("a", Jpeg("AAA"));
    gallery.SetImage("b", Jpeg("BB"));
    gallery.SetImage("c", Jpeg("C"));
    gallery.SetImage("gone", "", 404);
    const std::string save = temp_.Child("save");

    EXPECT_TRUE(Line().isEmpty());
    StartRun(gallery, save);
    ASSERT_TRUE(CloseDoneNotices(1));

    EXPECT_EQ(TreeOf(save),
              (Names{"春日花园", "春日花园/1.jpeg", "春日花园/2.jpeg", "雨后", "雨后/1.jpeg", "雨后/3.jpeg"}));
    EXPECT_EQ(ReadWholeFile(fs::path(save) / "雨后" / "3.jpeg"), Jpeg("AAA"));
    EXPECT_EQ(SaveDirectory(), Text(save));
    // The failed image left no file and counts as failed.
    EXPECT_TRUE(LineBecomes("完成：2 组，4 张，失败 1")) << Line().toStdString();

    // The failure list: one row naming the entry, the image, its address and
    // why.
    auto* failures_button = window_.findChild<QPushButton*>(Q("按钮_查看失败"));
    ASSERT_TRUE(PumpUntil([&] { return failures_button->isVisible(); }));
    QTest::mouseClick(failures_button, Qt::LeftButton);
    auto* dialog = window_.findChild<QDialog*>(Q("对话框_失败列表"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    QAbstractItemModel* rows = dialog->findChild<QTableView*>(Q("列表_失败"))->model();
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_EQ(rows->data(rows->index(0, 0)).toString(), Q("雨后"));
    EXPECT_EQ(rows->data(rows->index(0, 1)).toString(), Q("2"));
    EXPECT_EQ(rows->data(rows->index(0, 2)).toString(), QString::fromStdString(gallery.ImageUrl("gone")));
    EXPECT_EQ(rows->data(rows->index(0, 3)).toString(), Q("HTTP 404"));
    QTest::mouseClick(dialog->findChild<QPushButton*>(Q("按钮_复制")), Qt::LeftButton);
    EXPECT_EQ(
        QApplication::clipboard()->text(),
        Q("组\t图片\t地址\t原因\n雨后\t2\t") + QString::fromStdString(gallery.ImageUrl("gone")) + Q("\tHTTP 404\n"));
    dialog->close();

    // The next run starts a new list; it fetches only the missing image.
    gallery.SetImage("gone", Jpeg("back"));
    StartRun(gallery, save);
    ASSERT_TRUE(CloseDoneNotices(1));
    EXPECT_TRUE(LineBecomes("完成：2 组，1 张（已有 4），失败 0")) << Line().toStdString();
    EXPECT_FALSE(failures_button->isVisible());
}

TEST_F(CollectionWindow, EmptyBoxLeavesTheLineAsItWas) {
    FixtureGallery gallery;
    gallery.SetArchive({{"p/1.html", "一"}});
    gallery.SetEntry("p/1.html", {"a"});
    gallery.SetImage("a", Jpeg("A"));
    StartRun(gallery, temp_.Child("save"));
    ASSERT_TRUE(CloseDoneNotices(1));
    ASSERT_TRUE(LineBecomes("完成：1 组，1 张，失败 0")) << Line().toStdString();

    StartRun(gallery, "");
    ASSERT_TRUE(PumpUntil([] { return VisibleBoxes(Q("友情提醒")).size() == 1; }, 20000));
    EXPECT_EQ(VisibleBoxes(Q("友情提醒")).front()->text(), Q("请获取保存目录"));
    VisibleBoxes(Q("友情提醒")).front()->button(QMessageBox::Ok)->click();
    ASSERT_TRUE(CloseDoneNotices(1));
    QTest::qWait(150);
    EXPECT_EQ(Line(), Q("完成：1 组，1 张，失败 0"));
    EXPECT_EQ(gallery.pages().Requests().size(), 2u);  // none from the second run
}

// A click during a run stops it instead of starting a second one: the
// request in flight is abandoned and nothing is written for it, and the
// button reads 开始采集 again.
TEST_F(CollectionWindow, ClickDuringARequestStopsTheRun) {
    FixtureGallery gallery;
    gallery.SetArchive({{"p/1.html", "一"}, {"p/2.html", "二"}});
    gallery.SetEntry("p/1.html", {"a", "b"});
    gallery.SetImage("a", Jpeg("A"));
    Gate& gate = GateImage(gallery, "b", Jpeg("B"));
    const std::string save = temp_.Child("save");
    auto* button = window_.findChild<QPushButton*>(Q("按钮_采集"));

    EXPECT_EQ(button->text(), Q("开始采集"));
    StartRun(gallery, save);
    ASSERT_TRUE(PumpUntil([&] { return gallery.images().Requests().size() == 2; }));
    EXPECT_EQ(button->text(), Q("停止"));
    QTest::mouseClick(button, Qt::LeftButton);
    --open_runs_;  // a stopped run shows no notice

    EXPECT_TRUE(LineBecomes("已停止：第 1/2 组，1 张，失败 0", 3000)) << Line().toStdString();
    EXPECT_TRUE(PumpUntil([&] { return button->text() == Q("开始采集"); }));
    EXPECT_EQ(TreeOf(save), (Names{"一", "一/1.jpeg"}));
    EXPECT_EQ(gallery.pages().Requests().size(), 2u);  // no second run, no second entry
    QTest::qWait(200);
    EXPECT_TRUE(VisibleBoxes(Q("友情提醒")).empty());
    gate.Open();  // the server's side of the abandoned request ends too
}

TEST_F(CollectionWindow, ClickDuringAPauseStopsTheRunAtOnce) {
    FixtureGallery gallery;
    gallery.SetArchive({{"p/1.html", "一"}});
    gallery.SetEntry("p/1.html", {"a", "b"});
    gallery.SetImage("a", Jpeg("A"));
    gallery.SetImage("b", Jpeg("B"));
    const std::string save = temp_.Child("save");
    auto* button = window_.findChild<QPushButton*>(Q("按钮_采集"));

    StartRun(gallery, save, 1500);
    ASSERT_TRUE(PumpUntil([&] { return gallery.images().Requests().size() == 1; }, 5000));
    QTest::qWait(100);  // in the pause after the first image
    QElapsedTimer stopping;
    stopping.start();
    QTest::mouseClick(button, Qt::LeftButton);
    --open_runs_;
    EXPECT_TRUE(LineBecomes("已停止：第 1/1 组，1 张，失败 0", 3000)) << Line().toStdString();
    EXPECT_LT(stopping.elapsed(), 1000);
    EXPECT_EQ(button->text(), Q("开始采集"));
    EXPECT_EQ(gallery.images().Requests().size(), 1u);
    EXPECT_EQ(TreeOf(save), (Names{"一", "一/1.jpeg"}));
}

TEST_F(CollectionWindow, SkipCheckBoxBothWays) {
    FixtureGallery gallery;
    gallery.SetArchive({{"p/1.html", "一"}});
    gallery.SetEntry("p/1.html", {"a", "b"});
    gallery.SetImage("a", Jpeg("A"));
    gallery.SetImage("b", Jpeg("B"));
    const std::string save = temp_.Child("save");
    auto* skip = window_.findChild<QCheckBox*>(Q("选择框_跳过"));
    ASSERT_NE(skip, nullptr);
    EXPECT_TRUE(skip->isChecked());

    StartRun(gallery, save);
    ASSERT_TRUE(CloseDoneNotices(1));
    EXPECT_TRUE(LineBecomes("完成：1 组，2 张，失败 0")) << Line().toStdString();

    // Checked: the saved pictures are kept and not asked for again.
    gallery.SetImage("a", Jpeg("new A"));
    gallery.images().ClearRequests();
    StartRun(gallery, save);
    ASSERT_TRUE(CloseDoneNotices(1));
    EXPECT_TRUE(LineBecomes("完成：1 组，0 张（已有 2），失败 0")) << Line().toStdString();
    EXPECT_TRUE(gallery.images().Requests().empty());
    EXPECT_EQ(ReadWholeFile(fs::path(save) / "一" / "1.jpeg"), Jpeg("A"));

    // Unchecked: everything is fetched and replaced.
    QTest::mouseClick(skip, Qt::LeftButton);
    EXPECT_FALSE(skip->isChecked());
    StartRun(gallery, save);
    ASSERT_TRUE(CloseDoneNotices(1));
    EXPECT_TRUE(LineBecomes("完成：1 组，2 张，失败 0")) << Line().toStdString();
    EXPECT_EQ(gallery.images().Requests().size(), 2u);
    EXPECT_EQ(ReadWholeFile(fs::path(save) / "一" / "1.jpeg"), Jpeg("new A"));
}

TEST_F(CollectionWindow, LineShowsTheWaitTheServerAskedFor) {
    FixtureGallery gallery;
    gallery.SetArchive({{"p/1.html", "一"}});
    gallery.SetEntry("p/1.html", {"a"});
    auto asked = std::make_shared<std::atomic<int>>(0);
    gallery.images().Handle("GET", FixtureGallery::ImagePath("a"),
                            [asked](const testing::Request&, testing::Response& response) {
                                if ((*asked)++ == 0) {
                                    response.status = 429;
                                    response.header_lines = {"Retry-After: 2"};
                                } else {
                                    response.body = Jpeg("A");
                                }
                            });

    StartRun(gallery, temp_.Child("save"));
    EXPECT_TRUE(LineBecomes("第 1/1 组「一」· 服务器要求等待 2 秒", 3000)) << Line().toStdString();
    ASSERT_TRUE(CloseDoneNotices(1));
    EXPECT_TRUE(LineBecomes("完成：1 组，1 张，失败 0")) << Line().toStdString();
    EXPECT_EQ(asked->load(), 2);
}

// Enter in the box starts a run; the focus starts in the box, so a stray
// Space starts nothing.
TEST_F(CollectionWindow, EnterInTheBoxStartsARunAndSpaceDoesNot) {
    FixtureGallery gallery;
    gallery.SetArchive({{"p/1.html", "一"}});
    gallery.SetEntry("p/1.html", {"a"});
    gallery.SetImage("a", Jpeg("A"));
    ConnectStartButton(window_, gallery.Settings());
    auto* box = window_.findChild<QLineEdit*>(Q("编辑框1"));
    EXPECT_EQ(window_.focusWidget(), box);

    box->setText(QString::fromStdString(temp_.Child("save")));
    QTest::keyClick(window_.focusWidget(), Qt::Key_Space);
    QTest::qWait(100);
    EXPECT_EQ(gallery.pages().Requests().size(), 0u);

    box->setText(QString::fromStdString(temp_.Child("save")));
    QTest::keyClick(box, Qt::Key_Return);
    ++open_runs_;
    ASSERT_TRUE(CloseDoneNotices(1));
    EXPECT_EQ(TreeOf(temp_.Child("save")), (Names{"一", "一/1.jpeg"}));
}

TEST_F(CollectionWindow, OpenFolderShowsTheRunsFolderAfterTheRun) {
    FixtureGallery gallery;
    gallery.SetArchive({{"p/1.html", "一"}});
    gallery.SetEntry("p/1.html", {"a"});
    gallery.SetImage("a", Jpeg("A"));
    std::vector<Text> opened;
    ReplaceFolderOpener([&](const Text& folder) {
        opened.push_back(folder);
        return true;
    });
    auto* open = window_.findChild<QPushButton*>(Q("按钮_打开文件夹"));
    EXPECT_FALSE(open->isVisible());
    const std::string save = temp_.Child("save");

    StartRun(gallery, save);
    ASSERT_TRUE(CloseDoneNotices(1));
    ASSERT_TRUE(PumpUntil([&] { return open->isVisible(); }));
    EXPECT_EQ(window_.findChild<QLabel*>(Q("标签_进度"))->toolTip(), QString::fromStdString(save));
    QTest::mouseClick(open, Qt::LeftButton);
    EXPECT_EQ(opened, std::vector<Text>{Text(save)});
    ReplaceFolderOpener({});
}

// A few hundred tiny images without pauses: the window keeps handling its
// events, the line changes at most about ten times a second, and the last
// state arrives exactly.
TEST_F(CollectionWindow, BurstOfReportsKeepsTheWindowResponsive) {
    FixtureGallery gallery;
    std::vector<std::string> names;
    for (int i = 0; i < 400; ++i) names.push_back("i" + std::to_string(i));
    gallery.SetArchive({{"p/1.html", "许多"}});
    gallery.SetEntry("p/1.html", names);
    for (const std::string& name : names) gallery.SetImage(name, Jpeg("x"));

    int line_changes = 0;
    QObject::connect(&window_, &MainWindow::ProgressLineShown, &window_, [&](const QString&) { ++line_changes; });
    qint64 longest_gap_ms = 0;
    QElapsedTimer since_tick;
    since_tick.start();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { longest_gap_ms = std::max(longest_gap_ms, since_tick.restart()); });
    tick.start(5);

    QElapsedTimer run_time;
    run_time.start();
    StartRun(gallery, temp_.Child("save"));
    ASSERT_TRUE(PumpUntil([] { return !VisibleBoxes(Q("友情提醒")).empty(); }, 20000));
    const qint64 elapsed_ms = run_time.elapsed();
    ASSERT_TRUE(CloseDoneNotices(1));
    tick.stop();

    EXPECT_TRUE(LineBecomes("完成：1 组，400 张，失败 0")) << Line().toStdString();
    EXPECT_EQ(TreeOf(temp_.Child("save")).size(), 401u);
    EXPECT_LT(longest_gap_ms, 500);
    EXPECT_LE(line_changes, 3 + elapsed_ms / 80) << "over " << elapsed_ms << " ms";
}

}  // namespace
}  // namespace qimbra
