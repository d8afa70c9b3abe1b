// Whole runs against the loopback gallery: what lands on disk, and the
// notices.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "collect/run_collection.h"
#include "fake_host.h"
#include "testing/file_contents.h"
#include "testing/gallery/gallery_fixture.h"
#include "testing/temp_dir.h"
#include "values/literal.h"

namespace qimbra::collect_tests {
namespace {

using testing::Arrival;
using testing::FixtureGallery;
using testing::FolderNames;
using testing::Jpeg;
using testing::ReadWholeFile;
using testing::TreeOf;

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class RunFiles : public ::testing::Test {
  protected:
    // Runs once with the save-folder box holding `box` (UTF-8).
    std::unique_ptr<FakeHost> Run(const std::string& box) {
        auto host = std::make_unique<FakeHost>(Cp936(box));
        RunCollection(gallery.Settings(), *host);
        return host;
    }
    std::string Save() const { return temp.Child("save"); }

    FixtureGallery gallery;
    testing::TempDir temp;
};

TEST_F(RunFiles, SavesNumberedImagesIntoOneFolderPerTitle) {
    gallery.SetArchive({{"p/1.html", "春日花园"}, {"p/2.html", "空的一组"}, {"p/3.html", "春日花园"}});
    gallery.SetEntry("p/1.html", {"a", "b", "a"});  // "a" is listed twice
    gallery.SetEntry("p/2.html", {});
    gallery.SetEntry("p/3.html", {"c"});
    gallery.SetImage("a", Jpeg("AAA"));
    gallery.SetImage("b", Jpeg(std::string("B\0B", 3)));  // image bodies may hold zero bytes
    gallery.SetImage("c", Jpeg("CCCC"));

    const auto host = Run(Save());

    EXPECT_EQ(host->Notices(), std::vector<Text>{Cp936("采集完成")});
    EXPECT_EQ(host->SaveDirectory(), Cp936(Save()));
    // Folders carry the titles as readable UTF-8 names; the later entry of
    // the same title has a folder of its own.
    EXPECT_EQ(TreeOf(Save()), (Names{"春日花园", "春日花园 (2)", "春日花园 (2)/1.jpeg", "春日花园/1.jpeg",
                                     "春日花园/2.jpeg", "春日花园/3.jpeg", "空的一组"}));
    EXPECT_EQ(ReadWholeFile(fs::path(Save()) / "春日花园" / "1.jpeg"), Jpeg("AAA"));
    EXPECT_EQ(ReadWholeFile(fs::path(Save()) / "春日花园 (2)" / "1.jpeg"), Jpeg("CCCC"));
    EXPECT_EQ(ReadWholeFile(fs::path(Save()) / "春日花园" / "2.jpeg"), Jpeg(std::string("B\0B", 3)));
    EXPECT_EQ(ReadWholeFile(fs::path(Save()) / "春日花园" / "3.jpeg"), Jpeg("AAA"));

    Names order;
    for (const Arrival& arrival : gallery.Arrivals()) order.push_back(arrival.path);
    EXPECT_EQ(order, (Names{"/archives.html", "/p/1.html", "/image/a.jpeg", "/image/b.jpeg", "/image/a.jpeg",
                            "/p/2.html", "/p/3.html", "/image/c.jpeg"}));

    const std::vector<RunProgress> reports = host->Reports();
    ASSERT_FALSE(reports.empty());
    EXPECT_TRUE(reports.back().finished);
    EXPECT_EQ(reports.back().entry_count, 3);
    EXPECT_EQ(reports.back().images_saved, 4);
    EXPECT_EQ(reports.back().images_failed, 0);
}

// A title too long for one file-system name is saved under its cut form; a
// shorter one exactly as it is.
TEST_F(RunFiles, TitleTooLongForTheFileSystemIsCutToFit) {
    std::string long_title;   // 300 bytes of UTF-8
    std::string short_title;  // 200 bytes of UTF-8
    for (int i = 0; i < 100; ++i) long_title += "长";
    for (int i = 0; i < 66; ++i) short_title += "短";
    short_title += "ab";
    std::string cut_title;
    for (int i = 0; i < 85; ++i) cut_title += "长";
    gallery.SetArchive({{"p/1.html", long_title}, {"p/2.html", short_title}});
    gallery.SetEntry("p/1.html", {"a", "b"});
    gallery.SetEntry("p/2.html", {"a"});
    gallery.SetImage("a", Jpeg("A"));
    gallery.SetImage("b", Jpeg("B"));

    Run(Save());

    // Sorted by bytes: "短" (E7 9F AD) comes before "长" (E9 95 BF).
    EXPECT_EQ(TreeOf(Save()),
              (Names{short_title, short_title + "/1.jpeg", cut_title, cut_title + "/1.jpeg", cut_title + "/2.jpeg"}));
    EXPECT_EQ(ReadWholeFile(fs::path(Save()) / cut_title / "2.jpeg"), Jpeg("B"));
}

TEST_F(RunFiles, EmptyTitleIsNamedAfterTheLinkAndTrailingSeparatorJoinsWithoutLooking) {
    gallery.SetArchive({{"p/1.html", ""}, {"p/", ""}, {"x/y/2.html", ""}, {"p/3.html", "1.html"}});
    for (const char* link : {"p/1.html", "p/", "x/y/2.html", "p/3.html"}) gallery.SetEntry(link, {"a"});
    gallery.SetImage("a", Jpeg("A"));

    // The save folder ends with a separator: the file path then holds
    // "save//", which still names the folder.
    const auto host = Run(Save() + "/");

    // Never the save folder itself: the link's last segment, or a fixed name
    // when the link has none; a title that is the same as such a name gets
    // its own folder all the same.
    EXPECT_EQ(TreeOf(Save()), (Names{"1.html", "1.html (2)", "1.html (2)/1.jpeg", "1.html/1.jpeg", "2.html",
                                     "2.html/1.jpeg", "p", "p/1.jpeg"}));
    EXPECT_EQ(ReadWholeFile(fs::path(Save()) / "1.html" / "1.jpeg"), Jpeg("A"));
}

TEST_F(RunFiles, OneFolderPerEntryWithinTheCutAndTheSameLinkKeepsItsFolder) {
    std::string long_title;  // 300 bytes of UTF-8, cut to 255
    for (int i = 0; i < 100; ++i) long_title += "长";
    std::string cut_for_suffix;  // 252 bytes, so " (2)" fits
    for (int i = 0; i < 83; ++i) cut_for_suffix += "长";
    gallery.SetArchive({{"p/1.html", long_title},
                        {"p/2.html", long_title},
                        {"p/1.html", long_title},  // the same link again
                        {"p/3.html", "缺字\xF0\x9F\x8C\xB8甲"},
                        {"p/4.html", "缺字\xF0\x9F\x8D\x80甲"}});
    for (const char* link : {"p/1.html", "p/2.html", "p/3.html", "p/4.html"}) gallery.SetEntry(link, {"a"});
    gallery.SetImage("a", Jpeg("A"));

    const auto host = Run(Save());

    std::string cut_title;
    for (int i = 0; i < 85; ++i) cut_title += "长";
    // The characters code page 936 lacks both became "?", which would have
    // made the two entries one.
    EXPECT_EQ(TreeOf(Save()),
              (Names{"缺字?甲", "缺字?甲 (2)", "缺字?甲 (2)/1.jpeg", "缺字?甲/1.jpeg", cut_for_suffix + " (2)",
                     cut_for_suffix + " (2)/1.jpeg", cut_title, cut_title + "/1.jpeg"}));
    EXPECT_EQ(host->Last().images_saved, 5);
}

TEST_F(RunFiles, ZeroByteEndsThePage) {
    gallery.SetArchive({{"p/1.html", "t"}});
    gallery.SetEntryBody("p/1.html", "<img src=\"" + gallery.ImageUrl("a") + "\">" + std::string(1, '\0') +
                                         "<img src=\"" + gallery.ImageUrl("b") + "\">");
    gallery.SetImage("a", Jpeg("A"));
    gallery.SetImage("b", Jpeg("B"));

    Run(Save());

    EXPECT_EQ(TreeOf(Save()), (Names{"t", "t/1.jpeg"}));
    EXPECT_EQ(gallery.images().Requests().size(), 1u);
}

TEST_F(RunFiles, OnlyAddressesOnTheImageHostCount) {
    gallery.SetArchive({{"p/1.html", "t"}});
    const std::string elsewhere = "https://" + gallery.PageHost() + "/image/x.jpeg";
    gallery.SetEntryBody("p/1.html", "<img src=\"" + elsewhere + "\"><img src=\"" + gallery.ImageUrl("a") +
                                         "\"><img src=\"" + gallery.ImageUrl("b") + "\">");
    gallery.SetImage("a", Jpeg("A"));
    gallery.SetImage("b", Jpeg("B"));

    Run(Save());

    EXPECT_EQ(TreeOf(Save()), (Names{"t", "t/1.jpeg", "t/2.jpeg"}));
    EXPECT_EQ(ReadWholeFile(fs::path(Save()) / "t" / "2.jpeg"), Jpeg("B"));
}

TEST_F(RunFiles, ArchiveWithoutTheListGivesOnlyTheClosingNotice) {
    const std::string item = "<li><a href=p/1.html>t</a></li>";
    struct Case {
        const char* name;
        std::string body;
    };
    const Case kCases[] = {
        {"no start marker", "<ul>" + item + "</ul><div id=post-action class=x>"},
        {"no end marker", "全部展开/收缩<ul>" + item + "</ul>"},
        {"end marker only in front", "<div id=post-action class=x>全部展开/收缩<ul>" + item + "</ul>"},
        {"empty page", ""},
    };
    gallery.SetEntry("p/1.html", {});
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        gallery.pages().ClearRequests();
        gallery.SetArchiveBody(c.body);

        const auto host = Run(Save());

        // Not the same as an empty gallery: the notice says what went wrong.
        EXPECT_EQ(host->Notices(), std::vector<Text>{Cp936("无法读取归档页：找不到组列表")});
        ASSERT_EQ(gallery.pages().Requests().size(), 1u);
        EXPECT_EQ(gallery.pages().Requests()[0].path, "/archives.html");
        EXPECT_FALSE(fs::exists(Save()));
        EXPECT_TRUE(host->Last().finished);
        EXPECT_EQ(host->Last().problem, Cp936("无法读取归档页：找不到组列表"));
    }
}

TEST_F(RunFiles, EmptyBoxAsksForAFolderAndFetchesNothing) {
    FakeHost host{Text()};
    host.SetSaveDirectory(Cp936(Save()));  // an earlier choice is replaced

    RunCollection(gallery.Settings(), host);

    EXPECT_EQ(host.Notices(), (std::vector<Text>{Cp936("请获取保存目录"), Cp936("采集完成")}));
    EXPECT_EQ(host.SaveDirectory(), Text());
    EXPECT_EQ(host.BoxReads(), 1);
    EXPECT_EQ(gallery.pages().Requests().size(), 0u);
    EXPECT_EQ(gallery.images().Requests().size(), 0u);
    EXPECT_EQ(gallery.pages().ConnectionCount(), 0);
    EXPECT_TRUE(FolderNames(temp.path()).empty());
    EXPECT_TRUE(host.Reports().empty());
}

// The folder browser storing a choice, or a cancel emptying the save
// directory, while a run goes: the run stays in the folder it started with.
TEST_F(RunFiles, ChoiceMadeDuringTheRunLeavesTheRunInItsFolder) {
    const std::string later = temp.Child("later");
    const Text kChoices[] = {Cp936(later), Text()};
    gallery.SetArchive({{"p/1.html", "one"}, {"p/2.html", "two"}});
    gallery.SetEntry("p/1.html", {"a"});
    gallery.SetEntry("p/2.html", {"b"});
    gallery.SetImage("b", Jpeg("B"));
    for (const Text& choice : kChoices) {
        SCOPED_TRACE(choice.bytes());
        fs::remove_all(Save());
        FakeHost host(Cp936(Save()));
        gallery.images().Handle("GET", FixtureGallery::ImagePath("a"),
                                [&](const testing::Request&, testing::Response& response) {
                                    host.SetSaveDirectory(choice);
                                    response.body = Jpeg("A");
                                });

        RunCollection(gallery.Settings(), host);

        EXPECT_EQ(TreeOf(Save()), (Names{"one", "one/1.jpeg", "two", "two/1.jpeg"}));
        EXPECT_FALSE(fs::exists(later));
        EXPECT_EQ(host.SaveDirectory(), choice);  // the next run takes the new choice
        EXPECT_EQ(host.Notices(), std::vector<Text>{Cp936("采集完成")});
    }
}

}  // namespace
}  // namespace qimbra::collect_tests
