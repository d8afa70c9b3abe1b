// Whole runs against a gallery that fails in the ordinary ways: what is on
// disk, the counts, the notices and the failures reported.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
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
#include "values/value_ops.h"

namespace qimbra::collect_tests {
namespace {

using testing::FixtureGallery;
using testing::FolderNames;
using testing::Jpeg;
using testing::ReadWholeFile;
using testing::TreeOf;

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class RunHonesty : public ::testing::Test {
  protected:
    std::unique_ptr<FakeHost> Run(const RunSettings& settings) {
        auto host = std::make_unique<FakeHost>(Cp936(Save()));
        RunCollection(settings, *host);
        return host;
    }
    std::unique_ptr<FakeHost> Run() { return Run(gallery.Settings()); }
    std::string Save() const { return temp.Child("save"); }

    FixtureGallery gallery;
    testing::TempDir temp;
};

TEST_F(RunHonesty, OnlyPicturesAreSavedAndEveryOtherAnswerIsAFailureWithItsReason) {
    struct Case {
        const char* name;
        testing::Response response;
        const char* reason;  // UTF-8; nullptr: saved
    };
    const auto answer = [](int status, std::string body, std::vector<std::string> lines = {}) {
        testing::Response response;
        response.status = status;
        response.body = std::move(body);
        response.header_lines = std::move(lines);
        return response;
    };
    testing::Response reset = answer(200, Jpeg(std::string(4000, 'x')));
    reset.reset_after_bytes = 300;
    const std::string html = "<html><body>出错了</body></html>";
    const Case kCases[] = {
        {"jpeg", answer(200, Jpeg("J")), nullptr},
        {"png", answer(200, "\x89PNG\r\n\x1A\n...."), nullptr},
        {"webp", answer(200, std::string("RIFF\x10\0\0\0WEBPVP8 ", 16)), nullptr},
        {"404 page", answer(404, html, {"Content-Type: text/html"}), "HTTP 404"},
        {"500 page", answer(500, html, {"Content-Type: text/html"}), "HTTP 500"},
        {"429 without a wait", answer(429, html), "HTTP 429"},
        {"200 empty", answer(200, ""), "空内容"},
        {"200 html", answer(200, html, {"Content-Type: text/html"}), "不是图片"},
        {"200 gzip left packed", answer(200, "\x1F\x8B\x08\0\0\0\0\0", {"Content-Type: image/jpeg"}), "不是图片"},
        {"reset mid-body", reset, "连接失败"},
    };
    std::vector<std::string> names;
    for (const Case& c : kCases) {
        names.push_back("i" + std::to_string(names.size() + 1));
        gallery.SetImageResponse(names.back(), c.response);
    }
    gallery.SetArchive({{"p/1.html", "组"}});
    gallery.SetEntry("p/1.html", names);
    // An earlier run left a picture under every number.
    fs::create_directories(fs::path(Save()) / "组");
    for (size_t i = 1; i <= names.size(); ++i) {
        std::ofstream(fs::path(Save()) / "组" / (std::to_string(i) + ".jpeg")) << Jpeg("old");
    }

    const auto host = Run();

    const std::vector<RunFailure> failures = host->Failures();
    size_t next_failure = 0;
    for (size_t i = 0; i < std::size(kCases); ++i) {
        const Case& c = kCases[i];
        SCOPED_TRACE(c.name);
        const fs::path file = fs::path(Save()) / "组" / (std::to_string(i + 1) + ".jpeg");
        if (c.reason == nullptr) {
            EXPECT_EQ(ReadWholeFile(file), c.response.body);
            continue;
        }
        EXPECT_EQ(ReadWholeFile(file), Jpeg("old"));  // never replaced by a failure
        ASSERT_LT(next_failure, failures.size());
        const RunFailure& failure = failures[next_failure++];
        EXPECT_EQ(failure.entry_title, Cp936("组"));
        EXPECT_EQ(failure.image_number, static_cast<int32_t>(i + 1));
        EXPECT_EQ(failure.address, Text(gallery.ImageUrl(names[i])));
        EXPECT_EQ(failure.reason, Cp936(c.reason));
    }
    EXPECT_EQ(next_failure, failures.size());
    EXPECT_EQ(FolderNames(fs::path(Save()) / "组").size(), names.size());  // no temporary files
    const RunProgress last = host->Last();
    EXPECT_EQ(last.images_saved, 3);
    EXPECT_EQ(last.images_failed, 7);
    EXPECT_EQ(last.images_saved + last.images_failed, static_cast<int32_t>(names.size()));
    EXPECT_EQ(host->Notices(), std::vector<Text>{Cp936("采集完成")});
}

// A server that drips one byte every 5 s would hold the run for as long as
// it likes; the exchange's pace bound ends it as a time-out within a minute,
// and the run counts it as a failed image and goes on. Real figures, so this
// test takes about 20 s.
TEST_F(RunHonesty, ADripIsAFailedImageThatTimedOut) {
    testing::Response drip;
    drip.body = Jpeg(std::string(100, 'x'));
    drip.drip_interval_ms = 5000;
    drip.drip_bytes = 1;
    gallery.SetImageResponse("drip", drip);
    gallery.SetImage("ok", Jpeg("1"));
    gallery.SetArchive({{"p/1.html", "t"}});
    gallery.SetEntry("p/1.html", {"drip", "ok"});

    const auto start = std::chrono::steady_clock::now();
    const auto host = Run();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));

    EXPECT_EQ(TreeOf(Save()), (Names{"t", "t/2.jpeg"}));
    const std::vector<RunFailure> failures = host->Failures();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].image_number, 1);
    EXPECT_EQ(failures[0].address, Text(gallery.ImageUrl("drip")));
    EXPECT_EQ(failures[0].reason, Cp936("超时"));
    EXPECT_EQ(host->Last().images_saved, 1);
    EXPECT_EQ(host->Last().images_failed, 1);
}

TEST_F(RunHonesty, FailedImagesLeaveNoFileWhereThereWasNone) {
    gallery.SetArchive({{"p/1.html", "t"}});
    gallery.SetEntry("p/1.html", {"ok", "gone", "empty"});
    gallery.SetImage("ok", Jpeg("1"));
    gallery.SetImage("gone", "<html>404</html>", 404);
    gallery.SetImage("empty", "");

    const auto host = Run();

    EXPECT_EQ(TreeOf(Save()), (Names{"t", "t/1.jpeg"}));
    EXPECT_EQ(host->Failures().size(), 2u);
}

TEST_F(RunHonesty, FailedEntryPageCountsMakesNoFolderAndTheRunGoesOn) {
    gallery.SetArchive({{"p/1.html", "坏"}, {"p/2.html", "好"}});
    gallery.SetEntryBody("p/1.html", "");
    gallery.SetEntryResponse("p/1.html", [] {
        testing::Response response;
        response.status = 500;
        response.body = "<html>" + std::string(1, '\0') + "</html>";
        return response;
    }());
    gallery.SetEntry("p/2.html", {"a"});
    gallery.SetImage("a", Jpeg("A"));

    const auto host = Run(gallery.Settings(40));

    EXPECT_EQ(TreeOf(Save()), (Names{"好", "好/1.jpeg"}));
    ASSERT_EQ(host->Failures().size(), 1u);
    EXPECT_EQ(host->Failures()[0], (RunFailure{.entry_title = Cp936("坏"),
                                               .image_number = 0,
                                               .address = Text("https://" + gallery.PageHost() + "/p/1.html"),
                                               .reason = Text("HTTP 500")}));
    const RunProgress last = host->Last();
    EXPECT_EQ(last.entries_failed, 1);
    EXPECT_EQ(last.entry_count, 2);
    EXPECT_EQ(last.images_saved, 1);
    EXPECT_EQ(host->Notices(), std::vector<Text>{Cp936("采集完成")});
    // The next entry page still waited its pause after the failed one.
    const auto arrivals = gallery.Arrivals();
    ASSERT_EQ(arrivals.size(), 4u);
    EXPECT_GE(arrivals[2].time - arrivals[1].time, std::chrono::milliseconds(40));
}

TEST_F(RunHonesty, ArchivePageThatCannotBeReadEndsTheRunWithItsReason) {
    struct Case {
        const char* name;
        int status;          // 0: nobody listens
        const char* notice;  // UTF-8
    };
    const Case kCases[] = {
        {"unreachable", 0, "无法读取归档页：连接失败"},
        {"server error", 500, "无法读取归档页：HTTP 500"},
        {"not found", 404, "无法读取归档页：HTTP 404"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        RunSettings settings = gallery.Settings();
        std::unique_ptr<testing::HttpsServer> closed;
        if (c.status == 0) {
            // A port that was just given up: nothing listens there.
            closed = std::make_unique<testing::HttpsServer>();
            settings.page_host = Text(closed->HostPort());
            closed.reset();
        } else {
            gallery.SetArchiveResponse([&] {
                testing::Response response;
                response.status = c.status;
                response.body = "全部展开/收缩<a href=p/1.html>t</a></li><div id=post-action class";
                return response;
            }());
        }
        gallery.images().ClearRequests();

        const auto host = Run(settings);

        EXPECT_EQ(host->Notices(), std::vector<Text>{Cp936(c.notice)});
        EXPECT_FALSE(fs::exists(Save()));  // nor the save folder, which the run had made
        EXPECT_TRUE(host->Last().finished);
        EXPECT_EQ(host->Last().problem, Cp936(c.notice));
        EXPECT_TRUE(gallery.images().Requests().empty());
    }
}

// Folders that were there before the run stay, even when empty; only those
// the run made go again.
TEST_F(RunHonesty, ArchiveThatCannotBeReadLeavesEarlierFoldersAlone) {
    gallery.SetArchiveBody("<html>维护中</html>");
    fs::create_directories(temp.Child("had"));
    const std::string deep = temp.Child("had/new/deeper");
    FakeHost host(Cp936(deep));

    RunCollection(gallery.Settings(), host);

    EXPECT_EQ(host.Notices(), std::vector<Text>{Cp936("无法读取归档页：找不到组列表")});
    EXPECT_TRUE(fs::is_directory(temp.Child("had")));
    EXPECT_FALSE(fs::exists(temp.Child("had/new")));
}

TEST_F(RunHonesty, ArchiveWithTheListButNoEntriesIsAFinishedRun) {
    gallery.SetArchive({});

    const auto host = Run();

    EXPECT_EQ(host->Notices(), std::vector<Text>{Cp936("采集完成")});
    EXPECT_TRUE(host->Last().finished);
    EXPECT_TRUE(host->Last().problem.empty());
    EXPECT_EQ(host->Last().entry_count, 0);
}

// The save folder is checked before anything is asked of the gallery.
TEST_F(RunHonesty, SaveFolderThatCannotTakeFilesMakesNoRequest) {
    struct Case {
        const char* name;
        int write_error;  // what the file system answers a write; 0: a file in the way
        const char* why;  // UTF-8
    };
    const Case kCases[] = {
        {"a regular file in the way", 0, "路径上有同名文件"},
        {"no right to write", EACCES, "没有写入权限"},
        {"disk full", ENOSPC, "磁盘已满"},
        {"read-only file system", EROFS, "只读文件系统"},
    };
    gallery.SetArchive({{"p/1.html", "t"}});
    gallery.SetEntry("p/1.html", {"a"});
    gallery.SetImage("a", Jpeg("A"));
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Save());
        RunSettings settings = gallery.Settings();
        if (c.write_error == 0) {
            std::ofstream(Save()) << "not a folder";
        } else {
            settings.write_file = [&](const Text&, const Bytes&) { return c.write_error; };
        }

        const auto host = Run(settings);

        const Text notice = ConcatText(Cp936("无法写入保存目录（"), Cp936(c.why), Cp936("）："), Text(Save()));
        EXPECT_EQ(host->Notices(), std::vector<Text>{notice});
        EXPECT_EQ(host->Last().problem, notice);
        EXPECT_EQ(gallery.pages().Requests().size(), 0u);
        EXPECT_EQ(gallery.pages().ConnectionCount(), 0);
    }
    fs::remove_all(Save());

    // A healthy folder: the probe file is gone again before the first image.
    const auto host = Run();
    EXPECT_EQ(TreeOf(Save()), (Names{"t", "t/1.jpeg"}));
}

TEST_F(RunHonesty, WriteThatFailsMidRunIsAFailedImage) {
    gallery.SetArchive({{"p/1.html", "t"}});
    gallery.SetEntry("p/1.html", {"a", "b", "c"});
    for (const char* name : {"a", "b", "c"}) gallery.SetImage(name, Jpeg(name));
    RunSettings settings = gallery.Settings();
    // The disk fills up after the first image.
    int writes = 0;
    settings.write_file = [&](const Text& path, const Bytes& data) {
        if (path.view().find(".qimbra-probe-") != std::string_view::npos) return 0;
        return ++writes == 1 ? WriteFileReportingError(path, data) : ENOSPC;
    };

    const auto host = Run(settings);

    EXPECT_EQ(TreeOf(Save()), (Names{"t", "t/1.jpeg"}));
    ASSERT_EQ(host->Failures().size(), 2u);
    EXPECT_EQ(host->Failures()[0].reason, Cp936("写入失败：磁盘已满"));
    EXPECT_EQ(host->Failures()[1].image_number, 3);
    EXPECT_EQ(host->Last().images_saved, 1);
    EXPECT_EQ(host->Last().images_failed, 2);
    EXPECT_EQ(host->Notices(), std::vector<Text>{Cp936("采集完成")});
}

}  // namespace
}  // namespace qimbra::collect_tests
