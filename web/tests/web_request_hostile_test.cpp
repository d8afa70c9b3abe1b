// WebRequest against servers that misbehave on purpose: drips, claimed
// lengths that never arrive, cookie floods, huge headers, redirect loops,
// requests too large to send, and a caller who cancels.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "testing/https_server.h"
#include "values/value_ops.h"
#include "web/curl_exchange.h"
#include "web/tests/print_text.h"
#include "web/web_request.h"

namespace qimbra {
namespace {

using testing::HttpsServer;
using testing::Request;
using testing::Response;
using Clock = std::chrono::steady_clock;

struct Outcome {
    Bytes body;
    Text response_headers{"unset"};
    int32_t status = -7;
    WebFailure failure = WebFailure::kNone;
    Clock::duration elapsed{};
};

Outcome Fetch(const std::string& url, WebRequestOptions options = {}) {
    Outcome out;
    options.response_headers = &out.response_headers;
    options.status_code = &out.status;
    options.failure = &out.failure;
    const Clock::time_point start = Clock::now();
    out.body = WebRequest(Text(url), options);
    out.elapsed = Clock::now() - start;
    return out;
}

void ExpectFailed(const Outcome& out, WebFailure failure) {
    EXPECT_EQ(out.failure, failure);
    EXPECT_TRUE(out.body.empty());
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.response_headers, Text());
}

int64_t Ms(Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); }

class WebRequestHostileTest : public ::testing::Test {
  protected:
    HttpsServer server_;
};

// The pace rule at a scaled-down rate (20 KiB/s, judged over 400 ms) through
// the exchange itself; the full-size figures are in bench/web_pacing.cpp.
TEST_F(WebRequestHostileTest, PaceBoundEndsDripsAndLetsSlowTransfersThrough) {
    struct Case {
        const char* what;
        void (*setup)(Response&);
        WebFailure failure;
    };
    const Case kCases[] = {
        {"body drip far below the rate",
         [](Response& r) {
             r.body = std::string(64 * 1024, 'd');
             r.drip_bytes = 1024;
             r.drip_interval_ms = 200;  // 5 KiB/s
         },
         WebFailure::kTimeOut},
        {"byte drip",
         [](Response& r) {
             r.body = std::string(100, 'd');
             r.drip_bytes = 1;
             r.drip_interval_ms = 100;
         },
         WebFailure::kTimeOut},
        {"header line drip",
         [](Response& r) {
             for (int i = 0; i < 40; ++i) r.header_lines.push_back("X-Line-" + std::to_string(i) + ": slow");
             r.header_line_interval_ms = 100;
         },
         WebFailure::kTimeOut},
        {"chunked drip",
         [](Response& r) {
             r.add_content_length = false;
             r.header_lines = {"Transfer-Encoding: chunked"};
             for (int i = 0; i < 40; ++i) r.body += "1\r\nx\r\n";
             r.body += "0\r\n\r\n";
             r.drip_bytes = 6;
             r.drip_interval_ms = 100;
         },
         WebFailure::kTimeOut},
        {"slow but healthy: three times the rate",
         [](Response& r) {
             r.body = std::string(120 * 1024, 'h');
             r.drip_bytes = 6 * 1024;
             r.drip_interval_ms = 100;  // 60 KiB/s for 2 s
         },
         WebFailure::kNone},
    };
    WebRequestObject object;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        server_.Handle("GET", "/paced", [&](const Request&, Response& response) { c.setup(response); });
        web_internal::ExchangeRequest request;
        request.url = server_.Url("/paced");
        request.verb = "GET";
        request.timeout_ms = 5000;
        request.pace = {.window = std::chrono::milliseconds(400), .min_bytes = 8 * 1024};
        const Clock::time_point start = Clock::now();
        const web_internal::ExchangeResult result =
            web_internal::RunExchange(WebRequestObjectAccess::Handles(object), request);
        const auto elapsed = Clock::now() - start;
        EXPECT_EQ(result.failure, c.failure);
        if (c.failure == WebFailure::kNone) {
            EXPECT_EQ(result.status, 200);
            EXPECT_EQ(result.body.size(), 120u * 1024);
        } else {
            EXPECT_TRUE(result.body.empty());
            EXPECT_EQ(result.status, 0);
            // Caught after about one window, long before the response would end.
            EXPECT_LT(elapsed, std::chrono::milliseconds(1500));
        }
    }
}

// The pace window opens with each response's status line: a server that
// thinks for a while and then answers at once is bounded by the time-out
// alone, also behind a redirect that answered at once.
TEST_F(WebRequestHostileTest, PaceBoundStartsWithEachResponse) {
    server_.Handle("GET", "/think", [](const Request&, Response& response) {
        response.body = "thought";
        response.pause_ms = 1200;
    });
    server_.Handle("GET", "/hop", [](const Request&, Response& response) {
        response.status = 302;
        response.header_lines = {"Location: /think"};
    });
    WebRequestObject object;
    web_internal::ExchangeRequest request;
    request.url = server_.Url("/hop");
    request.verb = "GET";
    request.timeout_ms = 3000;
    request.pace = {.window = std::chrono::milliseconds(400), .min_bytes = 8 * 1024};
    const web_internal::ExchangeResult result =
        web_internal::RunExchange(WebRequestObjectAccess::Handles(object), request);
    EXPECT_EQ(result.failure, WebFailure::kNone);
    EXPECT_EQ(result.body, "thought");
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// In a child process: fetches `url` with 256 MiB of address space above what
// the process uses now, and exits with 0 when the exchange failed as a lost
// connection, without ending the program.
[[noreturn]] void FetchUnderAddressLimit(const std::string& url) {
    size_t used_kib = 0;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmSize:", 0) == 0) used_kib = std::stoul(line.substr(7));
    }
    const rlim_t limit = (rlim_t{used_kib} << 10) + (rlim_t{256} << 20);
    const rlimit bound{limit, limit};
    if (used_kib == 0 || setrlimit(RLIMIT_AS, &bound) != 0) std::_Exit(3);
    const Outcome out = Fetch(url, {.timeout_seconds = 5});
    std::_Exit(out.failure == WebFailure::kConnection && out.body.empty() ? 0 : 1);
}

// A claimed 512 MiB with a trickle under an address-space limit: the claim
// reserves only a few MiB, the exchange fails when the server hangs up, and
// the program goes on.
TEST_F(WebRequestHostileTest, ClaimedLengthDoesNotReserveIt) {
    if (kSanitized) GTEST_SKIP() << "sanitizers reserve address space of their own";
    server_.Handle("GET", "/claim", [](const Request&, Response& response) {
        response.claimed_length = size_t{512} << 20;
        response.body = std::string(4000, 'c');
        response.drip_bytes = 1000;
        response.drip_interval_ms = 50;
    });
    const std::string url = server_.Url("/claim");
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(FetchUnderAddressLimit(url), ::testing::ExitedWithCode(0), "");
}

TEST_F(WebRequestHostileTest, CookieFloodKeepsTheJarBoundedAndRequestsGoing) {
    server_.HandleOthers([](const Request&, Response& response) {
        response.new_cookies = 2000;
        response.body = "fed";
    });
    Text cookies;
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const Outcome out = Fetch(server_.Url("/flood"), {.cookies = &cookies, .timeout_seconds = 5});
        EXPECT_EQ(out.body, Bytes("fed"));
        EXPECT_LE(cookies.size(), 16384);
        EXPECT_GT(cookies.size(), 16000);
        // The newest cookies stay: the first ones of the last response.
        const int first = 2000 * i;
        EXPECT_EQ(cookies.bytes().substr(0, cookies.bytes().find(';')),
                  "flood" + std::to_string(first) + "=" + std::to_string(first));
        // Whole pieces only.
        EXPECT_NE(cookies.bytes().back(), ' ');
        EXPECT_NE(cookies.bytes().back(), ';');
    }
    for (const Request& request : server_.Requests()) EXPECT_LE(request.Header("Cookie").size(), 16384u);
}

TEST_F(WebRequestHostileTest, CookieJarBounds) {
    const std::string long_value(5000, 'L');
    server_.Handle("GET", "/long", [&](const Request&, Response& response) {
        response.header_lines = {"Set-Cookie: big=" + long_value + "; path=/", "Set-Cookie: small=1"};
    });
    server_.Handle("GET", "/one",
                   [](const Request&, Response& response) { response.header_lines = {"Set-Cookie: fresh=1"}; });

    // A cookie over 4096 bytes is ignored: it neither enters the jar nor
    // replaces the older cookie of its name.
    Text cookies("big=old; keep=2");
    Text returned;
    Fetch(server_.Url("/long"), {.cookies = &cookies, .returned_cookies = &returned});
    EXPECT_EQ(cookies, Text("small=1; big=old; keep=2"));
    EXPECT_EQ(returned, cookies);

    // 4096 bytes are the most a cookie may hold.
    server_.Handle("GET", "/edge", [](const Request&, Response& response) {
        response.header_lines = {"Set-Cookie: e=" + std::string(4094, 'e'), "Set-Cookie: f=" + std::string(4095, 'f')};
    });
    cookies = Text();
    Fetch(server_.Url("/edge"), {.cookies = &cookies});
    EXPECT_EQ(cookies, Text("e=" + std::string(4094, 'e')));

    // A jar past 16 KiB loses its oldest (last) cookies until it fits.
    std::string old_jar;
    for (int i = 0; i < 1000; ++i) old_jar += (i ? "; old" : "old") + std::to_string(i) + "=" + std::string(20, 'v');
    cookies = Text(old_jar);
    ASSERT_GT(cookies.size(), 16384);
    Fetch(server_.Url("/one"), {.cookies = &cookies});
    EXPECT_LE(cookies.size(), 16384);
    EXPECT_GT(cookies.size(), 16384 - 30);
    EXPECT_EQ(cookies.bytes().rfind("fresh=1; old0=", 0), 0u);
    EXPECT_EQ(old_jar.find(cookies.bytes().substr(9)), 0u);  // a front part of the old jar, in order

    // A jar that fits is left as MergeCookies made it.
    cookies = Text("a=1; b=2");
    Fetch(server_.Url("/one"), {.cookies = &cookies});
    EXPECT_EQ(cookies, Text("fresh=1; a=1; b=2"));
}

TEST_F(WebRequestHostileTest, OversizedRequestIsRefusedAtOnce) {
    server_.HandleOthers([](const Request&, Response& response) { response.body = "ok"; });
    const std::string big(70 * 1024, 'b');
    struct Case {
        const char* what;
        std::string url;
        Text headers;
    };
    const Case kCases[] = {
        {"huge header line", server_.Url("/h"), Text("X-Big: " + big)},
        {"many header lines", server_.Url("/h"), Text([&] {
             std::string block;
             for (int i = 0; i < 2000; ++i) block += "X-L" + std::to_string(i) + ": " + std::string(40, 'm') + "\r\n";
             return block;
         }())},
        {"huge address", server_.Url("/h?q=" + big), Text()},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const Outcome out = Fetch(c.url, {.headers = c.headers, .timeout_seconds = 10});
        ExpectFailed(out, WebFailure::kRefused);
        EXPECT_LT(out.elapsed, std::chrono::milliseconds(500));
    }
    EXPECT_TRUE(server_.Requests().empty());

    // A jar too large to send is refused too; the bound then makes the next
    // request fit.
    Text cookies(std::string("k=") + big);
    ExpectFailed(Fetch(server_.Url("/c"), {.cookies = &cookies}), WebFailure::kRefused);
    EXPECT_TRUE(cookies.empty());
    EXPECT_EQ(Fetch(server_.Url("/c"), {.cookies = &cookies}).body, Bytes("ok"));

    // Just inside the bound goes out.
    const Outcome fits = Fetch(server_.Url("/h"), {.headers = Text("X-Big: " + std::string(60 * 1024, 'f'))});
    EXPECT_EQ(fits.body, Bytes("ok"));
}

TEST_F(WebRequestHostileTest, HugeResponseHeaders) {
    struct Case {
        const char* what;
        void (*setup)(Response&);
        WebFailure failure;
    };
    const Case kCases[] = {
        {"one 150 KiB line", [](Response& r) { r.filler_header_bytes = 150 * 1024; }, WebFailure::kTooLarge},
        {"300 lines of 1 KiB",
         [](Response& r) {
             for (int i = 0; i < 300; ++i)
                 r.header_lines.push_back("X-H" + std::to_string(i) + ": " + std::string(1024, 'h'));
         },
         WebFailure::kTooLarge},
        {"90 lines of 1 KiB",
         [](Response& r) {
             for (int i = 0; i < 90; ++i)
                 r.header_lines.push_back("X-H" + std::to_string(i) + ": " + std::string(1024, 'h'));
             r.body = "fine";
         },
         WebFailure::kNone},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        server_.Handle("GET", "/heads", [&](const Request&, Response& response) { c.setup(response); });
        const Outcome out = Fetch(server_.Url("/heads"), {.timeout_seconds = 5});
        if (c.failure == WebFailure::kNone) {
            EXPECT_EQ(out.failure, WebFailure::kNone);
            EXPECT_EQ(out.body, Bytes("fine"));
            EXPECT_GT(out.response_headers.size(), 90 * 1024);
        } else {
            ExpectFailed(out, c.failure);
        }
    }
}

TEST_F(WebRequestHostileTest, EndlessRedirectsEndAfterTen) {
    server_.HandleRedirectLoop("/loop");
    const Outcome out = Fetch(server_.Url("/loop"), {.timeout_seconds = 5});
    ExpectFailed(out, WebFailure::kConnection);
    const std::vector<Request> requests = server_.Requests();
    ASSERT_EQ(requests.size(), 11u);  // the first request and ten redirects
    EXPECT_EQ(requests.back().target, "/loop?hop=10");
    EXPECT_LT(out.elapsed, std::chrono::seconds(3));
}

// A flag set from another thread after `delay` while the request waits.
class CancelLater {
  public:
    explicit CancelLater(std::chrono::milliseconds delay)
        : thread_([this, delay] {
              std::this_thread::sleep_for(delay);
              set_at_ = Clock::now();
              flag_ = true;
          }) {}
    ~CancelLater() {
        if (thread_.joinable()) thread_.join();
    }
    [[nodiscard]] const std::atomic<bool>* flag() const { return &flag_; }
    // How long after the flag turned true `end` came.
    [[nodiscard]] int64_t LatencyMs(Clock::time_point end) {
        thread_.join();
        thread_ = std::thread();
        return Ms(end - set_at_);
    }

  private:
    std::atomic<bool> flag_{false};
    Clock::time_point set_at_;
    std::thread thread_;
};

TEST_F(WebRequestHostileTest, CancelAbandonsTheExchangeInFlight) {
    struct Case {
        const char* what;
        void (*setup)(Response&);
    };
    const Case kCases[] = {
        {"silent server",
         [](Response& r) {
             r.body = "never";
             r.pause_ms = 10000;
         }},
        {"halfway through the body",
         [](Response& r) {
             r.header_lines = {"Set-Cookie: partial=1"};
             r.body = std::string(1000, 'p');
             r.pause_after_bytes = 600;
             r.pause_ms = 10000;
         }},
        {"header line drip",
         [](Response& r) {
             r.header_lines = {"X-A: 1", "X-B: 2", "X-C: 3"};
             r.header_line_interval_ms = 2000;
         }},
    };
    WebRequestObject object;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        server_.Handle("GET", "/wait", [&](const Request&, Response& response) { c.setup(response); });
        CancelLater cancel(std::chrono::milliseconds(300));
        Text cookies("a=1");
        const Outcome out =
            Fetch(server_.Url("/wait"),
                  {.cookies = &cookies, .timeout_seconds = 30, .request_object = &object, .cancel = cancel.flag()});
        const int64_t latency = cancel.LatencyMs(Clock::now());
        ExpectFailed(out, WebFailure::kCancelled);
        EXPECT_EQ(cookies, Text("a=1"));  // nothing of the response
        EXPECT_LT(latency, 150) << "ms from the cancel to the return";
        RecordProperty("cancel_latency_ms", std::to_string(latency));
    }

    // The object goes on working afterwards.
    server_.Handle("GET", "/after", [](const Request&, Response& response) { response.body = "after"; });
    const std::atomic<bool> never{false};
    EXPECT_EQ(Fetch(server_.Url("/after"), {.request_object = &object, .cancel = &never}).body, Bytes("after"));

    // A flag already set sends nothing.
    server_.ClearRequests();
    const std::atomic<bool> already{true};
    ExpectFailed(Fetch(server_.Url("/after"), {.request_object = &object, .cancel = &already}), WebFailure::kCancelled);
    EXPECT_TRUE(server_.Requests().empty());
}

}  // namespace
}  // namespace qimbra
