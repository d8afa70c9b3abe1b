// WebRequest's results against a real HTTPS server on loopback: status,
// response headers, cookies, redirects, failures, large bodies, the proxy path
// and connection reuse.
#include "web/web_request.h"

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "testing/https_server.h"
#include "values/literal.h"
#include "values/value_ops.h"
#include "web/tests/print_text.h"

namespace qimbra {
namespace {

using testing::HttpsServer;
using testing::Request;
using testing::Response;

// What one call gave back through its out parameters.
struct Outcome {
    Bytes body;
    Text response_headers{"unset"};
    int32_t status = -7;
    Text returned_cookies{"unset"};
    WebFailure failure = WebFailure::kRefused;
};

Outcome Fetch(const std::string& url, WebRequestOptions options = {}) {
    Outcome out;
    options.response_headers = &out.response_headers;
    options.status_code = &out.status;
    options.returned_cookies = &out.returned_cookies;
    options.failure = &out.failure;
    out.body = WebRequest(Text(url), options);
    return out;
}

// A loopback port with nothing listening on it.
int ClosedPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

class WebRequestTest : public ::testing::Test {
  protected:
    HttpsServer server_;
};

TEST_F(WebRequestTest, StatusBodyAndResponseHeaders) {
    server_.Handle("GET", "/page", [](const Request&, Response& response) {
        response.status = 404;
        response.header_lines = {"X-Name: 图片", "X-Two:  b "};
        response.body = "missing";
    });
    const Outcome out = Fetch(server_.Url("/page"));
    EXPECT_EQ(out.status, 404);
    EXPECT_EQ(out.body, Bytes("missing"));
    // Without the status line, joined by CRLF, converted to code page 936.
    EXPECT_EQ(out.response_headers, ConcatText(Cp936("X-Name: 图片"), Text("\r\nX-Two:  b \r\nContent-Length: 7")));

    server_.Handle("HEAD", "/page", [](const Request&, Response& response) { response.body = "12345"; });
    const Outcome head = Fetch(server_.Url("/page"), {.method = 2});
    EXPECT_EQ(head.status, 200);
    EXPECT_TRUE(head.body.empty());
    EXPECT_EQ(head.response_headers, Text("Content-Length: 5"));
    EXPECT_EQ(server_.Requests().back().method, "HEAD");
}

TEST_F(WebRequestTest, ReturnedCookiesWithoutMerge) {
    server_.Handle("GET", "/set", [](const Request&, Response& response) {
        response.header_lines = {"Set-Cookie: a=1; path=/", "Set-Cookie: b=2", "set-cookie: c=3", "Set-Cookie:c=3",
                                 "X-Set-Cookie: d=4"};
    });
    Text cookies("old=1");
    const Outcome out = Fetch(server_.Url("/set"), {.cookies = &cookies, .merge_cookies = false});
    EXPECT_EQ(out.returned_cookies, Text("a=1; b=2"));
    EXPECT_EQ(cookies, Text("old=1"));
}

TEST_F(WebRequestTest, CookieJarOverSeveralCalls) {
    server_.Handle("GET", "/login", [](const Request&, Response& response) {
        response.header_lines = {"Set-Cookie: sid=1; path=/; HttpOnly", "Set-Cookie: theme=dark"};
    });
    server_.Handle("GET", "/renew", [](const Request&, Response& response) {
        response.header_lines = {"Set-Cookie: sid=2; Max-Age=60"};
    });
    server_.Handle("GET", "/logout", [](const Request&, Response& response) {
        response.header_lines = {"Set-Cookie: theme=deleted; expires=Thu, 01 Jan 1970 00:00:00 GMT"};
    });
    server_.Handle("GET", "/plain", [](const Request&, Response&) {});

    Text cookies;
    EXPECT_EQ(Fetch(server_.Url("/login"), {.cookies = &cookies}).returned_cookies, Text("sid=1; theme=dark"));
    EXPECT_EQ(cookies, Text("sid=1; theme=dark"));
    EXPECT_EQ(Fetch(server_.Url("/renew"), {.cookies = &cookies}).returned_cookies, Text("sid=2; theme=dark"));
    EXPECT_EQ(cookies, Text("sid=2; theme=dark"));
    Fetch(server_.Url("/logout"), {.cookies = &cookies});
    EXPECT_EQ(cookies, Text("sid=2"));
    // A response without cookies leaves the jar as it was.
    EXPECT_EQ(Fetch(server_.Url("/plain"), {.cookies = &cookies}).returned_cookies, Text("sid=2"));

    const std::vector<Request> requests = server_.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].Header("Cookie"), "");
    EXPECT_EQ(requests[1].Header("Cookie"), "sid=1; theme=dark");
    EXPECT_EQ(requests[2].Header("Cookie"), "sid=2; theme=dark");
    EXPECT_EQ(requests[3].Header("Cookie"), "sid=2");
}

TEST_F(WebRequestTest, Redirects) {
    HttpsServer plain(false);
    plain.HandleOthers([](const Request&, Response& response) { response.body = "insecure"; });
    server_.Handle("GET", "/final", [](const Request&, Response& response) {
        response.header_lines = {"X-Final: 1"};
        response.body = "final";
    });
    server_.Handle("GET", "/hop", [](const Request&, Response& response) {
        response.status = 302;
        response.header_lines = {"Location: /final", "Set-Cookie: hop=1"};
    });
    server_.Handle("GET", "/loop", [](const Request&, Response& response) {
        response.status = 301;
        response.header_lines = {"Location: /loop"};
    });
    server_.Handle("GET", "/down", [&](const Request&, Response& response) {
        response.status = 302;
        response.header_lines = {"Location: " + plain.Url("/x")};
    });

    const Outcome followed = Fetch(server_.Url("/hop"));
    EXPECT_EQ(followed.status, 200);
    EXPECT_EQ(followed.body, Bytes("final"));
    EXPECT_EQ(followed.response_headers, Text("X-Final: 1\r\nContent-Length: 5"));

    const Outcome forbidden = Fetch(server_.Url("/hop"), {.forbid_redirects = true});
    EXPECT_EQ(forbidden.status, 302);
    EXPECT_EQ(forbidden.response_headers, Text("Location: /final\r\nSet-Cookie: hop=1\r\nContent-Length: 0"));
    EXPECT_EQ(forbidden.returned_cookies, Text("hop=1"));

    const Outcome looping = Fetch(server_.Url("/loop"));
    EXPECT_EQ(looping.status, 0);
    EXPECT_EQ(server_.Requests().size(), 2u + 1u + 11u);  // the first request and ten redirects

    // From https to http is never followed: the redirect is the answer.
    const Outcome down = Fetch(server_.Url("/down"));
    EXPECT_EQ(down.status, 302);
    EXPECT_EQ(down.failure, WebFailure::kNone);
    EXPECT_TRUE(down.body.empty());
    EXPECT_TRUE(plain.Requests().empty());
}

TEST_F(WebRequestTest, FailedExchanges) {
    struct Case {
        const char* what;
        std::string url;
        WebFailure failure;
    };
    // A label over 63 bytes is refused by the resolver before any query leaves
    // the machine.
    const std::string unresolvable = "https://" + std::string(70, 'x') + ".invalid/";
    const Case kCases[] = {
        {"refused connection", "https://127.0.0.1:" + std::to_string(ClosedPort()) + "/", WebFailure::kConnection},
        {"unresolvable host", unresolvable, WebFailure::kConnection},
        {"not http", "ftp://127.0.0.1:" + std::to_string(server_.port()) + "/", WebFailure::kRefused},
        {"no scheme", server_.HostPort() + "/", WebFailure::kRefused},
        {"plain http to a TLS server", "http://" + server_.HostPort() + "/", WebFailure::kConnection},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        Text cookies("Cookie: a=1;");
        const Outcome out = Fetch(c.url, {.cookies = &cookies, .timeout_seconds = 2});
        EXPECT_TRUE(out.body.empty());
        EXPECT_EQ(out.status, 0);
        EXPECT_EQ(out.failure, c.failure);
        EXPECT_EQ(out.response_headers, Text());
        // The merge still runs, on the caller's cookies alone.
        EXPECT_EQ(cookies, Text("a=1"));
        EXPECT_EQ(out.returned_cookies, Text("a=1"));
    }
    EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(WebRequestTest, StalledServerFailsAfterTheTimeout) {
    server_.Handle("GET", "/silent", [](const Request&, Response& response) {
        response.body = "late";
        response.pause_ms = 8000;
    });
    server_.Handle("GET", "/halfway", [](const Request&, Response& response) {
        response.body = std::string(1000, 'x');
        response.pause_ms = 8000;
        response.pause_after_bytes = 500;
    });
    for (const char* path : {"/silent", "/halfway"}) {
        SCOPED_TRACE(path);
        const auto start = std::chrono::steady_clock::now();
        const Outcome out = Fetch(server_.Url(path), {.timeout_seconds = 1});
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_TRUE(out.body.empty());
        EXPECT_EQ(out.status, 0);
        EXPECT_EQ(out.failure, WebFailure::kTimeOut);
        EXPECT_GE(elapsed, std::chrono::milliseconds(900));
        EXPECT_LT(elapsed, std::chrono::milliseconds(4000));
    }
}

// Set from another thread while the server stays silent or halfway: the
// exchange is abandoned soon after; set before, nothing is sent.
TEST_F(WebRequestTest, CancelAbandonsTheExchange) {
    server_.Handle("GET", "/silent", [](const Request&, Response& response) {
        response.body = "late";
        response.pause_ms = 8000;
    });
    server_.Handle("GET", "/halfway", [](const Request&, Response& response) {
        response.body = std::string(1000, 'x');
        response.pause_ms = 8000;
        response.pause_after_bytes = 500;
    });
    for (const char* path : {"/silent", "/halfway"}) {
        SCOPED_TRACE(path);
        std::atomic<bool> cancel{false};
        std::thread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            cancel = true;
        });
        const auto start = std::chrono::steady_clock::now();
        const Outcome out = Fetch(server_.Url(path), {.cancel = &cancel});
        const auto elapsed = std::chrono::steady_clock::now() - start;
        canceller.join();
        EXPECT_TRUE(out.body.empty());
        EXPECT_EQ(out.failure, WebFailure::kCancelled);
        EXPECT_LT(elapsed, std::chrono::milliseconds(2500));
    }
    server_.ClearRequests();
    const std::atomic<bool> already{true};
    EXPECT_EQ(Fetch(server_.Url("/silent"), {.cancel = &already}).failure, WebFailure::kCancelled);
    EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(WebRequestTest, ResetMidBodyIsAConnectionFailure) {
    server_.Handle("GET", "/cut", [](const Request&, Response& response) {
        response.body = std::string(4000, 'x');
        response.reset_after_bytes = 1000;
    });
    const Outcome out = Fetch(server_.Url("/cut"), {.timeout_seconds = 2});
    EXPECT_TRUE(out.body.empty());
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.failure, WebFailure::kConnection);
}

TEST_F(WebRequestTest, SlowButMovingTransferIsNotCutOff) {
    // Each pause is shorter than the time-out; together they are longer.
    server_.Handle("GET", "/first", [](const Request&, Response& response) {
        response.body = "abc";
        response.pause_ms = 700;
        response.pause_after_bytes = 10;
    });
    const auto start = std::chrono::steady_clock::now();
    const Outcome first = Fetch(server_.Url("/first"), {.timeout_seconds = 1});
    const Outcome second = Fetch(server_.Url("/first"), {.timeout_seconds = 1});
    EXPECT_EQ(first.body, Bytes("abc"));
    EXPECT_EQ(second.body, Bytes("abc"));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1400));
}

TEST_F(WebRequestTest, LargeBodyArrivesByteForByte) {
    std::string body(64u << 20, '\0');
    uint32_t state = 12345;
    for (char& c : body) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    server_.Handle("GET", "/big", [&](const Request&, Response& response) { response.body = body; });
    const Outcome out = Fetch(server_.Url("/big"), {.timeout_seconds = 5});
    EXPECT_EQ(out.status, 200);
    EXPECT_EQ(out.body.size(), static_cast<int32_t>(body.size()));
    EXPECT_TRUE(out.body.data() == body);
}

TEST_F(WebRequestTest, BodyOverTheCapFails) {
    server_.Handle("GET", "/huge", [](const Request&, Response& response) {
        response.add_content_length = false;
        response.header_lines = {"Content-Length: " + std::to_string(600ull << 20)};
        response.close = true;
    });
    const Outcome out = Fetch(server_.Url("/huge"), {.timeout_seconds = 2});
    EXPECT_TRUE(out.body.empty());
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.failure, WebFailure::kTooLarge);
    EXPECT_EQ(out.response_headers, Text());
}

TEST_F(WebRequestTest, ProxyCredentials) {
    HttpsServer proxy(false);
    proxy.HandleOthers([](const Request& request, Response& response) {
        if (request.method == "CONNECT") {
            response.status = 403;  // no tunnel: what the proxy saw is enough
            response.close = true;
        } else {
            response.body = "via proxy";
        }
    });
    struct Case {
        const char* what;
        Text user;
        int32_t target;
        std::string authorization;  // empty: none
    };
    const Case kCases[] = {
        {"credentials for the proxy", Text("u"), 1, "Basic dTpw"},
        {"credentials for the server", Text("u"), 0, ""},
        {"no user", Text(), 1, ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        proxy.ClearRequests();
        const WebRequestOptions options = {.proxy = Text(proxy.HostPort()),
                                           .timeout_seconds = 2,
                                           .proxy_user = c.user,
                                           .proxy_password = Text("p"),
                                           .credentials_target = c.target};
        // Plain http goes to the proxy as an absolute-form request.
        const Outcome plain = Fetch("http://www.veloni.example/a", options);
        EXPECT_EQ(plain.body, Bytes("via proxy"));
        // https goes through a CONNECT, which carries the proxy's line too.
        const Outcome secure = Fetch("https://www.veloni.example/b", options);
        EXPECT_EQ(secure.status, 0);

        const std::vector<Request> seen = proxy.Requests();
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0].target, "http://www.veloni.example/a");
        EXPECT_EQ(seen[1].method, "CONNECT");
        EXPECT_EQ(seen[1].target, "www.veloni.example:443");
        for (const Request& request : seen) {
            EXPECT_EQ(request.Header("Proxy-Authorization"), c.authorization);
            EXPECT_EQ(request.HasHeader("Proxy-Authorization"), !c.authorization.empty());
            EXPECT_FALSE(request.HasHeader("Proxy-Connection"));
        }
    }
}

TEST_F(WebRequestTest, OneThreadReusesOneConnection) {
    server_.HandleOthers([](const Request&, Response& response) { response.body = "r"; });
    for (int i = 0; i < 20; ++i) ASSERT_EQ(Fetch(server_.Url("/r?i=" + std::to_string(i))).status, 200);
    EXPECT_EQ(server_.ConnectionCount(), 1);

    // Another thread has its own connection.
    std::thread([&] { Fetch(server_.Url("/other")); }).join();
    EXPECT_EQ(server_.ConnectionCount(), 2);

    // A caller's own object keeps its connection across calls, apart from the
    // thread's.
    WebRequestObject object;
    ASSERT_TRUE(object.valid());
    for (int i = 0; i < 3; ++i) Fetch(server_.Url("/mine"), {.request_object = &object});
    EXPECT_EQ(server_.ConnectionCount(), 3);

    // An unusable object fails the exchange.
    WebRequestObject moved_from;
    WebRequestObject taker(std::move(moved_from));
    const Outcome out = Fetch(server_.Url("/x"), {.request_object = &moved_from});
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(server_.ConnectionCount(), 3);
}

TEST_F(WebRequestTest, NoTimeoutsOfOurOwn) {
    server_.HandleOthers([](const Request&, Response& response) { response.body = "fine"; });
    EXPECT_EQ(Fetch(server_.Url("/n"), {.timeout_seconds = -1}).body, Bytes("fine"));
    EXPECT_EQ(Fetch(server_.Url("/n"), {.timeout_seconds = 2147483647}).body, Bytes("fine"));
}

}  // namespace
}  // namespace qimbra
