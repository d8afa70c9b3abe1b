// The exact request lines WebRequest puts on the wire, as the loopback server
// recorded them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/https_server.h"
#include "values/literal.h"
#include "values/value_ops.h"
#include "web/tests/print_text.h"
#include "web/web_request.h"

namespace qimbra {
namespace {

using ::testing::ElementsAreArray;
using testing::HttpsServer;

const std::string kChromeAgent =
    "Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/78.0.3904.108 "
    "Safari/537.36";
const std::string kDefaultAgent = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

Text Lines(const std::vector<std::string>& lines) {
    std::string block;
    for (const std::string& line : lines) block += (block.empty() ? "" : "\r\n") + line;
    return Text(block);
}

class WebRequestHeaders : public ::testing::Test {
  protected:
    WebRequestHeaders() {
        server_.HandleOthers([](const testing::Request&, testing::Response& response) { response.body = "ok"; });
    }

    // The header lines the server saw for one request.
    std::vector<std::string> Sent(const Text& url, WebRequestOptions options) {
        server_.ClearRequests();
        WebRequest(url, options);
        const std::vector<testing::Request> requests = server_.Requests();
        if (requests.size() != 1) {
            ADD_FAILURE() << requests.size() << " requests";
            return {};
        }
        last_ = requests[0];
        return last_.header_lines;
    }

    HttpsServer server_;
    testing::Request last_;
};

TEST_F(WebRequestHeaders, GalleryTemplates) {
    const std::string host = "www.veloni.example";
    const std::string archive_url = "https://" + host + "/archives.html";
    const std::vector<std::string> archive = {
        "Host: " + host,
        "Connection: keep-alive",
        "User-Agent: " + kChromeAgent,
        "Accept: image/webp,image/apng,image/*,*/*;q=0.8",
        "Sec-Fetch-Site: same-site",
        "Sec-Fetch-Mode: no-cors",
        "Referer: " + archive_url,
        "Accept-Language: zh-CN,zh;q=0.9",
    };
    const std::vector<std::string> entry = {
        "Host: " + host,
        "Connection: keep-alive",
        "Upgrade-Insecure-Requests: 1",
        "User-Agent: " + kChromeAgent,
        "Sec-Fetch-User: ?1",
        "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,image/apng,*/*;q=0.8,"
        "application/signed-exchange;v=b3",
        "Sec-Fetch-Site: same-origin",
        "Sec-Fetch-Mode: navigate",
        "Accept-Language: zh-CN,zh;q=0.9",
    };
    std::vector<std::string> image = archive;
    image[0] = "Host: img.veloni.example";
    image[6] = "Referer: https://" + host + "/2020/01/entry.html";

    // What goes out: the template without its Connection line, the Cookie line
    // behind Host (which takes the place of curl's own); only the entry
    // template lacks a Referer, so it gets the request's own address.
    auto expected = [](std::vector<std::string> lines, const std::string& referer) {
        lines.erase(lines.begin() + 1);
        if (!referer.empty()) lines.push_back("Referer: " + referer);
        lines.insert(lines.begin() + 1, "Cookie: sid=1");
        return lines;
    };
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        std::string path;
        bool adds_referer;
    };
    const Case kCases[] = {
        {"archive", archive, "/archives.html", false},
        {"entry", entry, "/2020/01/entry.html", true},
        {"image", image, "/image/1.jpeg", false},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        Text cookies("sid=1");
        const Text url(server_.Url(c.path));
        const auto sent = Sent(url, {.cookies = &cookies, .headers = Lines(c.lines)});
        EXPECT_THAT(sent, ElementsAreArray(expected(c.lines, c.adds_referer ? url.bytes() : "")));
        EXPECT_EQ(last_.method, "GET");
        EXPECT_EQ(last_.version, "HTTP/1.1");
        EXPECT_FALSE(last_.HasHeader("Accept-Encoding"));
    }
}

TEST_F(WebRequestHeaders, DefaultLinesPerMethod) {
    const std::string url = server_.Url("/d");
    const std::string host = "Host: " + server_.HostPort();
    const std::vector<std::string> defaults = {host, "Accept: */*", "Referer: " + url, "Accept-Language: zh-cn",
                                               kDefaultAgent};
    std::vector<std::string> post = defaults;
    post.push_back("Content-Type: application/x-www-form-urlencoded");
    post.push_back("Content-Length: 0");
    std::vector<std::string> put = defaults;
    put.push_back("Content-Length: 0");
    struct Case {
        int32_t method;
        const char* verb;
        std::vector<std::string> lines;
    };
    const Case kCases[] = {
        {0, "GET", defaults}, {8, "GET", defaults},    {-1, "GET", defaults}, {1, "POST", post},
        {3, "PUT", put},      {5, "DELETE", defaults}, {2, "HEAD", defaults},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.method);
        EXPECT_THAT(Sent(Text(url), {.method = c.method}), ElementsAreArray(c.lines));
        EXPECT_EQ(last_.method, c.verb);
    }
}

TEST_F(WebRequestHeaders, BlockRules) {
    const std::string url = server_.Url("/b");
    const std::string host = "Host: " + server_.HostPort();
    const std::string referer = "Referer: " + url;
    struct Case {
        const char* what;
        WebRequestOptions options;
        std::vector<std::string> lines;
    };
    const Case kCases[] = {
        {"X-Accept counts as Accept",
         {.headers = Text("X-Accept: 1")},
         {host, "X-Accept: 1", referer, "Accept-Language: zh-cn", kDefaultAgent}},
        {"the completion test ignores case, the names are then normalised",
         {.headers = Text("accept: text/html\r\nuser-agent: me")},
         {host, "Accept: text/html", "User-Agent: me", referer, "Accept-Language: zh-cn"}},
        {"normalised keep-alive is skipped, Keep-Alive is not",
         {.headers = Text("connection: keep-alive\r\nx-a: 1"), .complete_headers = false},
         {host, "X-A: 1"}},
        {"the value comparison is exact",
         {.headers = Text("Connection: Keep-Alive\r\nx-a: 1"), .complete_headers = false},
         {host, "Connection: Keep-Alive", "X-A: 1"}},
        {"without normalisation the lower-case name is sent",
         {.headers = Text("connection: keep-alive\r\nx-a: 1"), .complete_headers = false, .normalize_headers = false},
         {host, "connection: keep-alive", "x-a: 1"}},
        {"a single line is set as it stands",
         {.headers = Text("Connection: keep-alive"), .complete_headers = false},
         {host, "Connection: keep-alive"}},
        {"an empty block sets nothing and POST adds no Content-Type of its own",
         {.method = 1, .complete_headers = false},
         {host, "Content-Length: 0"}},
        {"a name set twice keeps its first place and its last value",
         {.headers = Text("X-A: 1\r\nX-B: 2\r\nx-a: 3"), .complete_headers = false, .normalize_headers = false},
         {host, "X-A: 3", "X-B: 2"}},
        {"a value holding CR or LF is refused",
         {.headers = Text("X-A: 1\rX-Evil: 1\r\nX-B: 1\nX-Evil: 2\r\nX-C: 3"), .complete_headers = false},
         {host, "X-C: 3"}},
        {"the caller's Host replaces curl's",
         {.headers = Text("Host: example.test\r\nX-A: 1"), .complete_headers = false},
         {"Host: example.test", "X-A: 1"}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        EXPECT_THAT(Sent(Text(url), c.options), ElementsAreArray(c.lines));
    }
}

TEST_F(WebRequestHeaders, CookieLine) {
    const Text url(server_.Url("/c"));

    Text empty;
    EXPECT_THAT(Sent(url, {.cookies = &empty, .complete_headers = false}), ::testing::Contains("Cookie:"));

    Text prefixed("Cookie: a=1; cookie:b=2");
    EXPECT_THAT(Sent(url, {.cookies = &prefixed, .merge_cookies = false, .complete_headers = false}),
                ::testing::Contains("Cookie:  a=1; b=2"));
    EXPECT_EQ(prefixed, Text(" a=1; b=2"));

    EXPECT_THAT(Sent(url, {.complete_headers = false}),
                ::testing::Not(::testing::Contains(::testing::StartsWith("Cookie"))));
}

TEST_F(WebRequestHeaders, BodiesAndUrl) {
    // Bytes win over text; text goes out as UTF-8.
    Sent(Text(server_.Url("/p")),
         {.method = 1, .post_text = Text("ignored"), .post_bytes = Bytes(std::string_view("a\0b", 3))});
    EXPECT_EQ(last_.body, std::string("a\0b", 3));
    Sent(Text(server_.Url("/p")), {.method = 1, .post_text = Cp936("名=图片")});
    EXPECT_EQ(last_.body, "名=图片");
    EXPECT_EQ(last_.Header("Content-Length"), std::to_string(std::string("名=图片").size()));

    // A Chinese path and a space arrive percent-encoded as UTF-8; the rest
    // of the address stays as written.
    Sent(ConcatText(Text(server_.Url("/")), Cp936("图片/一 二.jpeg?q=%41&x=中")), {});
    EXPECT_EQ(last_.target, "/%E5%9B%BE%E7%89%87/%E4%B8%80%20%E4%BA%8C.jpeg?q=%41&x=%E4%B8%AD");
}

}  // namespace
}  // namespace qimbra
