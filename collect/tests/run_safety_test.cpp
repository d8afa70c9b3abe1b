// Whole runs against a hostile or failing gallery.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

using testing::FixtureGallery;
using testing::FolderNames;
using testing::Jpeg;
using testing::ReadWholeFile;
using testing::TreeOf;

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(RunSafety, HostileTitlesStayInsideTheSaveFolder) {
    FixtureGallery gallery;
    testing::TempDir temp;
    const fs::path save = fs::path(temp.Child("save"));
    const std::string absolute = temp.Child("abs");  // "/tmp/.../abs"
    gallery.SetArchive({{"p/1.html", ".."},
                        {"p/2.html", "../x"},
                        {"p/3.html", "a/b"},
                        {"p/4.html", absolute},
                        {"p/5.html", "."},
                        {"p/6.html", "../../../escaped"}});
    for (int i = 1; i <= 6; ++i) gallery.SetEntry("p/" + std::to_string(i) + ".html", {"a"});
    gallery.SetImage("a", Jpeg("A"));
    FakeHost host(Cp936(save.string()));

    RunCollection(gallery.Settings(), host);

    std::string flattened = absolute;
    for (char& c : flattened) c = c == '/' ? '_' : c;
    // ".." and "." both become "_": the later one gets a folder of its own.
    Names expected = {"_",
                      "_/1.jpeg",
                      "_ (2)",
                      "_ (2)/1.jpeg",
                      ".._x",
                      ".._x/1.jpeg",
                      "a_b",
                      "a_b/1.jpeg",
                      ".._.._.._escaped",
                      ".._.._.._escaped/1.jpeg",
                      flattened,
                      flattened + "/1.jpeg"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(TreeOf(save), expected);
    EXPECT_EQ(FolderNames(temp.path()), Names{"save"});
    EXPECT_EQ(gallery.images().Requests().size(), 6u);
}

TEST(RunSafety, FolderThatCannotBeMadeStillCostsItsRequests) {
    FixtureGallery gallery;
    testing::TempDir temp;
    { std::ofstream(temp.Child("blocked")) << "a file in the way"; }
    gallery.SetArchive({{"p/1.html", "blocked"}, {"p/2.html", "fine"}});
    gallery.SetEntry("p/1.html", {"a", "b"});
    gallery.SetEntry("p/2.html", {"a"});
    gallery.SetImage("a", Jpeg("A"));
    gallery.SetImage("b", Jpeg("B"));
    FakeHost host(Cp936(temp.path()));

    RunCollection(gallery.Settings(), host);

    EXPECT_EQ(ReadWholeFile(temp.Child("blocked")), "a file in the way");
    EXPECT_EQ(TreeOf(temp.Child("fine")), Names{"1.jpeg"});
    EXPECT_EQ(gallery.images().Requests().size(), 3u);
    EXPECT_EQ(host.Notices(), std::vector<Text>{Cp936("采集完成")});
    // Both images of the blocked entry count as failed, with the reason.
    const std::vector<RunFailure> failures = host.Failures();
    ASSERT_EQ(failures.size(), 2u);
    for (const RunFailure& failure : failures) {
        EXPECT_EQ(failure.entry_title, Text("blocked"));
        EXPECT_EQ(failure.reason, Cp936("写入失败：路径上有同名文件"));
    }
    EXPECT_EQ(host.Last().images_saved, 1);
    EXPECT_EQ(host.Last().images_failed, 2);
}

TEST(RunSafety, FailedImageResponsesKeepEarlierFiles) {
    FixtureGallery gallery;
    testing::TempDir temp;
    const fs::path folder = fs::path(temp.Child("t"));
    gallery.SetArchive({{"p/1.html", "t"}});
    gallery.SetEntry("p/1.html", {"1", "2", "3"});
    for (const char* name : {"1", "2", "3"}) gallery.SetImage(name, Jpeg(std::string("old ") + name));
    FakeHost first(Cp936(temp.path()));
    RunCollection(gallery.Settings(), first);
    ASSERT_EQ(ReadWholeFile(folder / "3.jpeg"), Jpeg("old 3"));

    // The re-run meets an outage; the page now lists two more images.
    gallery.SetEntry("p/1.html", {"1", "2", "3", "4", "5"});
    gallery.SetImage("1", "server error page", 500);
    gallery.SetImage("2", "", 404);
    gallery.SetImage("3", Jpeg("new 3"));
    gallery.SetImage("4", "busy", 503);
    gallery.SetImage("5", "", 302);
    FakeHost second(Cp936(temp.path()));
    RunCollection(gallery.Settings(), second);

    // Only the success replaced its file; the failures wrote nothing at all.
    EXPECT_EQ(TreeOf(folder), (Names{"1.jpeg", "2.jpeg", "3.jpeg"}));
    EXPECT_EQ(ReadWholeFile(folder / "1.jpeg"), Jpeg("old 1"));
    EXPECT_EQ(ReadWholeFile(folder / "2.jpeg"), Jpeg("old 2"));
    EXPECT_EQ(ReadWholeFile(folder / "3.jpeg"), Jpeg("new 3"));
    EXPECT_EQ(second.Last().images_failed, 4);
    EXPECT_EQ(second.Last().images_saved, 1);
    const std::string image_host = gallery.ImageHost();
    std::vector<Text> reasons;
    for (const RunFailure& failure : second.Failures()) reasons.push_back(failure.reason);
    EXPECT_EQ(reasons, (std::vector<Text>{Text("HTTP 500"), Text("HTTP 404"), Text("HTTP 503"), Text("HTTP 302")}));
}

TEST(RunSafety, UnreachableImageHostKeepsEarlierFiles) {
    auto gallery = std::make_unique<FixtureGallery>();
    testing::TempDir temp;
    gallery->SetArchive({{"p/1.html", "t"}});
    gallery->SetEntry("p/1.html", {"1"});
    gallery->SetImage("1", Jpeg("old"));
    FakeHost first(Cp936(temp.path()));
    RunCollection(gallery->Settings(), first);
    const RunSettings settings = gallery->Settings();
    gallery->SetEntry("p/1.html", {"1", "2"});

    // No answer at all from the image host: the page server goes on, the
    // image server is gone.
    testing::HttpsServer pages_only;
    const std::string page_body = "全部展开/收缩<li><a href=p/1.html>t</a></li><div id=post-action class";
    pages_only.Handle("GET", "/archives.html",
                      [&](const testing::Request&, testing::Response& r) { r.body = page_body; });
    const std::string image_host = gallery->ImageHost();
    pages_only.Handle("GET", "/p/1.html", [&](const testing::Request&, testing::Response& r) {
        r.body = "https://" + image_host + "/image/1.jpeg https://" + image_host + "/image/2.jpeg";
    });
    gallery.reset();
    FakeHost second(Cp936(temp.path()));
    RunCollection(
        RunSettings{.page_host = Cp936(pages_only.HostPort()), .image_host = settings.image_host, .pause_ms = 0},
        second);

    EXPECT_EQ(ReadWholeFile(fs::path(temp.Child("t")) / "1.jpeg"), Jpeg("old"));
    EXPECT_FALSE(fs::exists(fs::path(temp.Child("t")) / "2.jpeg"));
    EXPECT_EQ(TreeOf(temp.Child("t")), Names{"1.jpeg"});  // no temporary file stays either
    EXPECT_EQ(second.Notices(), std::vector<Text>{Cp936("采集完成")});
    ASSERT_EQ(second.Failures().size(), 2u);
    EXPECT_EQ(second.Failures()[0].reason, Cp936("连接失败"));
    EXPECT_EQ(second.Failures()[1].image_number, 2);
}

}  // namespace
}  // namespace qimbra::collect_tests
