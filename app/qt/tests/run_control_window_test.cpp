// Runs through the real window that skip saved pictures, stop, wait for the
// server, start from the keyboard and open their folder.
#include <QCheckBox>
#include <QElapsedTimer>
#include <memory>

#include "app/qt/folder_opener.h"
#include "collection_window.h"
#include "testing/file_contents.h"
#include "values/literal.h"

namespace qimbra::test {
namespace {

using testing::ReadWholeFile;
using testing::TreeOf;

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

}  // namespace
}  // namespace qimbra::test
