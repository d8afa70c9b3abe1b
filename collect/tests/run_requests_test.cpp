// Whole runs against the loopback gallery: what the servers see.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "collect/run_collection.h"
#include "fake_host.h"
#include "testing/gallery/gallery_fixture.h"
#include "testing/temp_dir.h"
#include "values/literal.h"

namespace qimbra::collect_tests {
namespace {

using testing::Arrival;
using testing::FixtureGallery;

namespace fs = std::filesystem;

using std::chrono::milliseconds;
using Lines = std::vector<std::string>;

const std::string kUserAgent =
    "User-Agent: Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/78.0.3904.108 Safari/537.36";

class RunRequests : public ::testing::Test {
  protected:
    void Run(int pause_ms = 0) {
        host = std::make_unique<FakeHost>(Cp936(temp.path()));
        RunCollection(gallery.Settings(pause_ms), *host);
    }

    FixtureGallery gallery;
    testing::TempDir temp;
    std::unique_ptr<FakeHost> host;
};

// Every line of `expected` occurs among the request's header lines, in this
// order (the web layer may add its own lines between them).
void ExpectLinesInOrder(const testing::Request& request, const Lines& expected) {
    size_t at = 0;
    for (const std::string& line : request.header_lines) {
        if (at < expected.size() && line == expected[at]) ++at;
    }
    EXPECT_EQ(at, expected.size()) << "missing from " << request.path << ": "
                                   << (at < expected.size() ? expected[at] : "");
}

TEST_F(RunRequests, EachRequestCarriesItsTemplate) {
    gallery.SetArchive({{"p/1.html?id=7", "t"}});
    gallery.SetEntry("p/1.html", {"a"});
    gallery.SetImage("a", "A");

    Run();

    const std::string page = gallery.PageHost();
    const std::vector<testing::Request> pages = gallery.pages().Requests();
    const std::vector<testing::Request> images = gallery.images().Requests();
    ASSERT_EQ(pages.size(), 2u);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(pages[1].target, "/p/1.html?id=7");

    ExpectLinesInOrder(pages[0], {"Host: " + page, kUserAgent, "Accept: image/webp,image/apng,image/*,*/*;q=0.8",
                                  "Sec-Fetch-Site: same-site", "Sec-Fetch-Mode: no-cors",
                                  "Referer: https://" + page + "/archives.html", "Accept-Language: zh-CN,zh;q=0.9"});
    ExpectLinesInOrder(pages[1],
                       {"Host: " + page, "Upgrade-Insecure-Requests: 1", kUserAgent, "Sec-Fetch-User: ?1",
                        "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,"
                        "image/apng,*/*;q=0.8,application/signed-exchange;v=b3",
                        "Sec-Fetch-Site: same-origin", "Sec-Fetch-Mode: navigate", "Accept-Language: zh-CN,zh;q=0.9"});
    // The entry template has no Referer, so the page's own address goes.
    EXPECT_EQ(pages[1].Header("Referer"), "https://" + page + "/p/1.html?id=7");
    ExpectLinesInOrder(images[0],
                       {"Host: " + gallery.ImageHost(), kUserAgent, "Accept: image/webp,image/apng,image/*,*/*;q=0.8",
                        "Sec-Fetch-Site: same-site", "Sec-Fetch-Mode: no-cors",
                        "Referer: https://" + page + "/p/1.html?id=7", "Accept-Language: zh-CN,zh;q=0.9"});
    for (const testing::Request& request : {pages[0], pages[1], images[0]}) {
        SCOPED_TRACE(request.path);
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.body, "");
        // Each name once: the templates' lines were not doubled by defaults.
        for (const char* name : {"Host", "Accept", "Referer", "User-Agent", "Accept-Language"}) {
            int seen = 0;
            for (const std::string& line : request.header_lines) {
                if (line.size() > std::string(name).size() &&
                    line.compare(0, std::string(name).size() + 1, std::string(name) + ":") == 0) {
                    ++seen;
                }
            }
            EXPECT_EQ(seen, 1) << name;
        }
    }
}

TEST_F(RunRequests, CookiesTravelToBothHostsAndMerge) {
    gallery.SetArchive({{"p/1.html", "one"}, {"p/2.html", "two"}},
                       {"Set-Cookie: sid=abc; path=/; HttpOnly", "Set-Cookie: theme=ink"});
    // The first entry page deletes one cookie and sets another.
    gallery.SetEntry("p/1.html", {"a"}, {"Set-Cookie: theme=deleted; path=/", "Set-Cookie: seen=1"});
    gallery.SetEntry("p/2.html", {"a"});
    gallery.SetImage("a", "A");

    Run();

    const std::vector<testing::Request> pages = gallery.pages().Requests();
    const std::vector<testing::Request> images = gallery.images().Requests();
    ASSERT_EQ(pages.size(), 3u);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(pages[0].Header("Cookie"), "");
    EXPECT_EQ(pages[1].Header("Cookie"), "sid=abc; theme=ink");
    EXPECT_EQ(images[0].Header("Cookie"), "seen=1; sid=abc");
    EXPECT_EQ(pages[2].Header("Cookie"), "seen=1; sid=abc");
    EXPECT_EQ(images[1].Header("Cookie"), "seen=1; sid=abc");
}

TEST_F(RunRequests, OneRequestAtATimeWithoutRetries) {
    gallery.SetArchive({{"p/1.html", "one"}});
    gallery.SetEntry("p/1.html", {"a", "b"});
    gallery.SetImage("a", "", 500);
    gallery.SetImage("b", "B", 404);

    Run();

    // Failures are not retried; every address costs one request.
    EXPECT_EQ(gallery.images().Requests().size(), 2u);
    EXPECT_EQ(host->Reports().back().images_failed, 2);
}

TEST_F(RunRequests, PacesHalfASecondBeforeEntryPagesAndAfterImages) {
    gallery.SetArchive({{"p/1.html", "one"}, {"p/2.html", "two"}});
    gallery.SetEntry("p/1.html", {"a", "b"});
    gallery.SetEntry("p/2.html", {"c"});
    for (const char* name : {"a", "b", "c"}) gallery.SetImage(name, "x");

    Run(500);

    const std::vector<Arrival> arrivals = gallery.Arrivals();
    ASSERT_EQ(arrivals.size(), 6u);
    const auto gap = [&](size_t i) {
        return std::chrono::duration_cast<milliseconds>(arrivals[i].time - arrivals[i - 1].time).count();
    };
    struct Step {
        const char* path;
        long least_ms;  // the pauses between this request and the one before
    };
    const Step kSteps[] = {
        {"/archives.html", 0},  {"/p/1.html", 500},  {"/image/a.jpeg", 0},
        {"/image/b.jpeg", 500}, {"/p/2.html", 1000}, {"/image/c.jpeg", 0},
    };
    for (size_t i = 0; i < arrivals.size(); ++i) {
        SCOPED_TRACE(kSteps[i].path);
        EXPECT_EQ(arrivals[i].path, kSteps[i].path);
        if (i == 0) continue;
        EXPECT_GE(gap(i), kSteps[i].least_ms - 2);    // clocks of two threads
        EXPECT_LT(gap(i), kSteps[i].least_ms + 400);  // a doubled pause would add 500
    }
    // The last image is followed by its pause before the closing notice.
    const auto tail =
        std::chrono::duration_cast<milliseconds>(host->NoticeTimes().at(0) - arrivals.back().time).count();
    EXPECT_GE(tail, 498);
    EXPECT_LT(tail, 900);
}

}  // namespace
}  // namespace qimbra::collect_tests
