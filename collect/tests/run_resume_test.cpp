// Runs that resume, stop, or are asked by the server to wait.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
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
using testing::Jpeg;
using testing::ReadWholeFile;
using testing::TreeOf;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using Names = std::vector<std::string>;

class RunResume : public ::testing::Test {
  protected:
    std::unique_ptr<FakeHost> Run(RunSettings settings) {
        auto host = std::make_unique<FakeHost>(Cp936(Save()));
        RunCollection(settings, *host);
        return host;
    }
    RunSettings Skipping(int pause_ms = 0) {
        RunSettings settings = gallery.Settings(pause_ms);
        settings.skip_saved_images = true;
        return settings;
    }
    std::string Save() const { return temp.Child("save"); }
    Names Paths() const {
        Names paths;
        for (const testing::Arrival& arrival : gallery.Arrivals()) paths.push_back(arrival.path);
        return paths;
    }

    FixtureGallery gallery;
    testing::TempDir temp;
};

TEST_F(RunResume, SavedPicturesAreNotFetchedAgainWhenSkipping) {
    gallery.SetArchive({{"p/1.html", "一"}, {"p/2.html", "二"}});
    gallery.SetEntry("p/1.html", {"a", "b"});
    gallery.SetEntry("p/2.html", {"c", "d"});
    for (const char* name : {"a", "b", "c", "d"}) gallery.SetImage(name, Jpeg(name));
    // An earlier, interrupted run: 一 is complete, 二 has its first image
    // and, under the second number, an error page that is no picture.
    fs::create_directories(fs::path(Save()) / "一");
    fs::create_directories(fs::path(Save()) / "二");
    std::ofstream(fs::path(Save()) / "一" / "1.jpeg") << Jpeg("old a");
    std::ofstream(fs::path(Save()) / "一" / "2.jpeg") << Jpeg("old b");
    std::ofstream(fs::path(Save()) / "二" / "1.jpeg") << Jpeg("old c");
    std::ofstream(fs::path(Save()) / "二" / "2.jpeg") << "<html>503</html>";

    const auto host = Run(Skipping(30));

    // Exactly the missing image, and the entry pages that list them.
    EXPECT_EQ(Paths(), (Names{"/archives.html", "/p/1.html", "/p/2.html", "/image/d.jpeg"}));
    EXPECT_EQ(ReadWholeFile(fs::path(Save()) / "一" / "1.jpeg"), Jpeg("old a"));
    EXPECT_EQ(ReadWholeFile(fs::path(Save()) / "二" / "2.jpeg"), Jpeg("d"));
    const RunProgress last = host->Last();
    EXPECT_EQ(last.images_existing, 3);
    EXPECT_EQ(last.images_saved, 1);
    EXPECT_EQ(last.images_failed, 0);
    // A skipped image costs no pause either: one pause before each entry page
    // and one after the one image fetched.
    const auto arrivals = gallery.Arrivals();
    EXPECT_LT(arrivals[2].time - arrivals[1].time, milliseconds(30 + 25));

    // Not skipping: every image is fetched and replaced.
    gallery.pages().ClearRequests();
    const auto again = Run(gallery.Settings());
    EXPECT_EQ(gallery.images().Requests().size(), 5u);  // d once before, four now
    EXPECT_EQ(ReadWholeFile(fs::path(Save()) / "一" / "1.jpeg"), Jpeg("a"));
    EXPECT_EQ(again->Last().images_existing, 0);
    EXPECT_EQ(again->Last().images_saved, 4);
}

TEST_F(RunResume, StopDuringARequestAbandonsItAndWritesNothingForIt) {
    gallery.SetArchive({{"p/1.html", "一"}});
    gallery.SetEntry("p/1.html", {"a", "slow", "c"});
    gallery.SetImage("a", Jpeg("a"));
    gallery.SetImage("c", Jpeg("c"));
    // Shared with the server's thread, which may still hold it after the test.
    auto release = std::make_shared<std::atomic<bool>>(false);
    FakeHost host(Cp936(Save()));
    gallery.images().Handle("GET", FixtureGallery::ImagePath("slow"),
                            [&host, release](const testing::Request&, testing::Response& response) {
                                host.Stop();
                                const auto limit = Clock::now() + std::chrono::seconds(10);
                                while (!*release && Clock::now() < limit) std::this_thread::sleep_for(milliseconds(5));
                                response.body = Jpeg("slow");
                            });

    const auto start = Clock::now();
    RunCollection(gallery.Settings(), host);
    const auto took = Clock::now() - start;
    *release = true;

    EXPECT_LT(took, std::chrono::seconds(3));
    EXPECT_EQ(TreeOf(Save()), (Names{"一", "一/1.jpeg"}));
    EXPECT_EQ(gallery.images().Requests().size(), 2u);
    const RunProgress last = host.Last();
    EXPECT_TRUE(last.finished);
    EXPECT_TRUE(last.stopped);
    EXPECT_EQ(last.images_saved, 1);
    EXPECT_EQ(last.images_failed, 0);  // abandoned, not failed
    EXPECT_TRUE(host.Failures().empty());
    EXPECT_TRUE(host.Notices().empty());  // no 采集完成 for a stopped run
}

TEST_F(RunResume, StopDuringAPauseEndsItAtOnce) {
    gallery.SetArchive({{"p/1.html", "一"}, {"p/2.html", "二"}});
    gallery.SetEntry("p/1.html", {"a"});
    gallery.SetEntry("p/2.html", {"b"});
    gallery.SetImage("a", Jpeg("a"));
    gallery.SetImage("b", Jpeg("b"));
    FakeHost host(Cp936(Save()));
    std::thread stopper([&] {
        // Once the first image is in, the run pauses 1.5 s.
        const auto limit = Clock::now() + std::chrono::seconds(10);
        while (gallery.images().Requests().empty() && Clock::now() < limit)
            std::this_thread::sleep_for(milliseconds(5));
        std::this_thread::sleep_for(milliseconds(200));
        host.Stop();
    });

    const auto start = Clock::now();
    RunCollection(gallery.Settings(1500), host);  // 1.5 s before the first entry page too
    const auto took = Clock::now() - start;
    stopper.join();

    // Not stopped, it would have taken two more pauses and the second entry.
    EXPECT_LT(took, milliseconds(1500 + 200 + 900));
    EXPECT_EQ(TreeOf(Save()), (Names{"一", "一/1.jpeg"}));
    EXPECT_EQ(gallery.pages().Requests().size(), 2u);  // the archive and the first entry
    EXPECT_TRUE(host.Last().stopped);
    EXPECT_EQ(host.Last().images_saved, 1);
}

TEST_F(RunResume, RetryAfterIsHonouredOnceAndBounded) {
    struct Case {
        const char* name;
        std::vector<std::string> first_lines;  // header lines of the first answer
        int first_status;
        int second_status;  // 0: no second request expected
        bool saved;
    };
    const Case kCases[] = {
        {"429 for 1 s, then the picture", {"Retry-After: 1"}, 429, 200, true},
        {"503 for 0 s, then the picture", {"Retry-After: 0"}, 503, 200, true},
        {"503 twice: the second answer counts", {"Retry-After: 1"}, 503, 503, false},
        {"longer than two minutes", {"Retry-After: 121"}, 503, 0, false},
        {"no Retry-After", {}, 429, 0, false},
        {"500 is no request to wait", {"Retry-After: 1"}, 500, 0, false},
    };
    gallery.SetArchive({{"p/1.html", "一"}});
    gallery.SetEntry("p/1.html", {"a"});
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Save());
        gallery.images().ClearRequests();
        std::atomic<int> asked{0};
        gallery.images().Handle("GET", FixtureGallery::ImagePath("a"),
                                [&](const testing::Request&, testing::Response& response) {
                                    if (asked++ == 0) {
                                        response.status = c.first_status;
                                        response.header_lines = c.first_lines;
                                        response.body = "busy";
                                    } else {
                                        response.status = c.second_status;
                                        response.body = c.second_status == 200 ? Jpeg("a") : "busy";
                                    }
                                });

        const auto start = Clock::now();
        const auto host = Run(gallery.Settings());
        const auto took = Clock::now() - start;

        EXPECT_EQ(asked.load(), c.second_status == 0 ? 1 : 2);
        EXPECT_EQ(fs::exists(fs::path(Save()) / "一" / "1.jpeg"), c.saved);
        EXPECT_EQ(host->Last().images_saved, c.saved ? 1 : 0);
        EXPECT_EQ(host->Last().images_failed, c.saved ? 0 : 1);
        if (c.first_lines == std::vector<std::string>{"Retry-After: 1"} && c.second_status != 0) {
            EXPECT_GE(took, milliseconds(1000));
            // The wait was reported while it lasted.
            bool wait_shown = false;
            for (const RunProgress& report : host->Reports()) wait_shown = wait_shown || report.retry_until;
            EXPECT_TRUE(wait_shown);
        }
    }
}

TEST_F(RunResume, StopEndsTheServersWait) {
    gallery.SetArchive({{"p/1.html", "一"}});
    gallery.SetEntry("p/1.html", {"a"});
    FakeHost host(Cp936(Save()));
    gallery.images().Handle("GET", FixtureGallery::ImagePath("a"),
                            [&](const testing::Request&, testing::Response& response) {
                                response.status = 503;
                                response.header_lines = {"Retry-After: 60"};
                            });
    std::thread stopper([&] {
        std::this_thread::sleep_for(milliseconds(500));
        host.Stop();
    });

    const auto start = Clock::now();
    RunCollection(gallery.Settings(), host);
    const auto took = Clock::now() - start;
    stopper.join();

    EXPECT_LT(took, std::chrono::seconds(3));
    EXPECT_EQ(gallery.images().Requests().size(), 1u);
    EXPECT_TRUE(host.Last().stopped);
    EXPECT_FALSE(fs::exists(fs::path(Save()) / "一" / "1.jpeg"));
}

}  // namespace
}  // namespace qimbra::collect_tests
