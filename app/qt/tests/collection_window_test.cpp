// Whole collection runs through the real window: the files on disk, the
// notices, the progress line and the failure list.
#include "collection_window.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QElapsedTimer>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <fstream>

#include "testing/file_contents.h"
#include "values/literal.h"

namespace qimbra::test {
namespace {

using testing::FolderNames;
using testing::ReadWholeFile;
using testing::TreeOf;

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

// The box's text by its rules: blanks ignored, "~" and relative paths in the
// home folder, and the box then shows the full path the run used.
TEST_F(CollectionWindow, BoxTextIsReadByItsRules) {
    FixtureGallery gallery;
    gallery.SetArchive({{"p/1.html", "一"}});
    gallery.SetEntry("p/1.html", {"a"});
    gallery.SetImage("a", Jpeg("A"));
    const std::string home = temp_.Child("home");
    const QByteArray old_home = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(home));
    struct Case {
        std::string typed;
        std::string folder;  // where the run saves, and what the box then shows
    };
    const Case kCases[] = {
        {"  " + temp_.Child("blanks") + " \u3000", temp_.Child("blanks")},
        {"~", home},
        {"~/图片/新", home + "/图片/新"},
        {"相对/目录", home + "/相对/目录"},
        {"~other", home + "/~other"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.typed);
        StartRun(gallery, c.typed);
        ASSERT_TRUE(CloseDoneNotices(1));
        EXPECT_EQ(TreeOf(c.folder), (Names{"一", "一/1.jpeg"}));
        EXPECT_EQ(Box(), QString::fromStdString(c.folder));
        EXPECT_EQ(SaveDirectory(), Cp936(c.folder));
        fs::remove_all(fs::path(c.folder) / "一");
    }
    qputenv("HOME", old_home);
}

TEST_F(CollectionWindow, FolderCodePage936CannotNameIsRefused) {
    FixtureGallery gallery;
    gallery.SetArchive({{"p/1.html", "一"}});
    const std::string typed = temp_.Child("照片\xF0\x9F\x93\xB7");

    StartRun(gallery, typed);
    ASSERT_TRUE(CloseNotice(Q("保存目录里有无法使用的字符，请换一个文件夹")));
    --open_runs_;  // no run started

    QTest::qWait(100);
    EXPECT_TRUE(VisibleBoxes(Q("友情提醒")).empty());
    EXPECT_EQ(gallery.pages().Requests().size(), 0u);
    EXPECT_EQ(Box(), QString::fromStdString(typed));  // left for the user to change
    EXPECT_TRUE(FolderNames(temp_.path()).empty());
}

TEST_F(CollectionWindow, RunThatCannotStartSaysWhyInsteadOfDone) {
    FixtureGallery gallery;
    gallery.SetArchiveBody("<html>维护中</html>");
    const std::string blocked = temp_.Child("blocked");
    { std::ofstream(blocked) << "a file in the way"; }

    StartRun(gallery, blocked);
    ASSERT_TRUE(CloseNotice(Q("无法写入保存目录（路径上有同名文件）：") + QString::fromStdString(blocked)));
    --open_runs_;
    EXPECT_TRUE(LineBecomes(("无法写入保存目录（路径上有同名文件）：" + blocked).c_str())) << Line().toStdString();
    EXPECT_EQ(gallery.pages().Requests().size(), 0u);

    StartRun(gallery, temp_.Child("save"));
    ASSERT_TRUE(CloseNotice(Q("无法读取归档页：找不到组列表")));
    --open_runs_;
    EXPECT_TRUE(LineBecomes("无法读取归档页：找不到组列表")) << Line().toStdString();
}

// A request the server keeps waiting: the line says so, counting seconds.
TEST_F(CollectionWindow, LineShowsTheWaitForASlowServer) {
    FixtureGallery gallery;
    gallery.SetArchive({{"p/1.html", "慢"}});
    gallery.SetEntry("p/1.html", {"a"});
    Gate& gate = GateImage(gallery, "a", Jpeg("A"));

    StartRun(gallery, temp_.Child("save"));
    EXPECT_TRUE(LineBecomes("第 1/1 组「慢」· 等待服务器响应… 2 秒", 5000)) << Line().toStdString();
    EXPECT_TRUE(LineBecomes("第 1/1 组「慢」· 等待服务器响应… 3 秒", 3000)) << Line().toStdString();
    gate.Open();
    ASSERT_TRUE(CloseDoneNotices(1));
    EXPECT_TRUE(LineBecomes("完成：1 组，1 张，失败 0")) << Line().toStdString();
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
}  // namespace qimbra::test
