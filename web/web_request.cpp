#include "web/web_request.h"

#include <array>
#include <limits>
#include <optional>

#include "platform/encoding.h"
#include "textkit/text_slicing.h"
#include "values/conversions.h"
#include "values/text_ops.h"
#include "values/value_ops.h"
#include "web/cookie_merge.h"
#include "web/curl_exchange.h"
#include "web/encode_base64.h"
#include "web/header_lines.h"

namespace qimbra {

WebRequestObject::WebRequestObject() {
    web_internal::EnsureCurlReady();
    web_internal::CurlPtr curl(curl_easy_init());
    if (curl) state_ = std::make_unique<State>(State{std::move(curl)});
}

WebRequestObject::~WebRequestObject() = default;
WebRequestObject::WebRequestObject(WebRequestObject&& other) noexcept = default;
WebRequestObject& WebRequestObject::operator=(WebRequestObject&& other) noexcept = default;

bool WebRequestObject::valid() const { return WebRequestObjectAccess::Handle(*this) != nullptr; }

namespace {

constexpr std::array<const char*, 8> kVerbs = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
constexpr int32_t kDefaultTimeoutMs = 15000;

const Text kCrLf("\r\n");

struct DefaultHeader {
    const char* tested;
    const char* line;
};
constexpr std::array<DefaultHeader, 4> kDefaultHeaders = {{
    {"Accept:", "Accept: */*"},
    {"Referer:", nullptr},  // "Referer: " + the URL
    {"Accept-Language:", "Accept-Language: zh-cn"},
    {"User-Agent:", "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"},
}};

// The calling thread's own request object, made on its first call. A thread
// whose object could not be made tries again on its next call.
WebRequestObject* ThreadRequestObject() {
    thread_local std::optional<WebRequestObject> object;
    if (!object || !object->valid()) object.emplace();
    return object->valid() ? &*object : nullptr;
}

// The header block with the default lines added where it lacks them; each
// test looks for the name anywhere in the block, ignoring case.
Text CompletedHeaders(Text block, const Text& url, bool is_post) {
    for (const DefaultHeader& header : kDefaultHeaders) {
        if (FindText(block, Text(header.tested), std::nullopt, true) != -1) continue;
        const Text line = header.line ? Text(header.line) : ConcatText(Text("Referer: "), url);
        block = ConcatText(block, kCrLf, line);
    }
    if (is_post && FindText(block, Text("Content-Type:"), std::nullopt, true) == -1) {
        block = ConcatText(block, kCrLf, Text("Content-Type: application/x-www-form-urlencoded"));
    }
    return block;
}

// The request's header lines from the (completed, normalised) block.
void SetBlockHeaders(const Text& block, web_internal::RequestHeaders& headers) {
    if (FindText(block, kCrLf) == -1) {
        // A single line is set as it stands, even "Connection: keep-alive".
        headers.Set(HeaderName(block), HeaderValue(block));
        return;
    }
    const Text connection("Connection");
    const Text keep_alive("keep-alive");
    for (const Text& element : SplitText(block, kCrLf)) {
        if (element.empty()) continue;
        const Text name = HeaderName(element);
        const Text value = HeaderValue(element);
        if (CompareText(name, connection) == 0 && CompareText(value, keep_alive) == 0) continue;
        headers.Set(name, value);
    }
}

// The cookies of the "Set-Cookie" lines ("a=1; b=2"), attributes dropped.
Text CollectReturnedCookies(const Text& response_headers) {
    const Text set_cookie("Set-Cookie");
    const Text marker("Set-Cookie:");
    const Text separator("; ");
    Text cookies;
    for (const Text& line : SplitText(response_headers, kCrLf)) {
        if (CompareText(TextLeftOf(line, Text(": ")), set_cookie) != 0) continue;
        const Text piece = FindText(line, Text(";")) != -1
                               ? TextBetween(line, marker, Text(";"))
                               : ReplaceText(line, marker, std::nullopt, std::nullopt, std::nullopt, false);
        cookies = ConcatText(cookies, TrimText(piece), separator);
    }
    if (TextRight(cookies, 2) == separator) cookies = TextLeft(cookies, TextLength(cookies) - 2);
    return cookies;
}

std::optional<int32_t> TimeoutMs(int32_t timeout_seconds) {
    if (timeout_seconds == -1) return std::nullopt;
    if (timeout_seconds < 1) return kDefaultTimeoutMs;
    // Seconds whose milliseconds do not fit 32 bits wait as long as fits.
    const int64_t ms = int64_t{timeout_seconds} * 1000;
    return static_cast<int32_t>(std::min<int64_t>(ms, std::numeric_limits<int32_t>::max()));
}

}  // namespace

Bytes WebRequest(const Text& url, const WebRequestOptions& options) {
    const int32_t method = (options.method < 0 || options.method > 7) ? 0 : options.method;
    const std::string verb = kVerbs[static_cast<size_t>(method)];

    WebRequestObject* object = options.request_object ? options.request_object : ThreadRequestObject();
    if (!object) return Bytes();  // nothing sent, the caller's variables untouched

    web_internal::ExchangeRequest request;
    request.url = url.bytes();
    request.verb = verb;
    request.timeout_ms = TimeoutMs(options.timeout_seconds);
    if (!options.proxy.empty()) request.proxy = platform::Cp936ToUtf8(options.proxy.view());
    request.follow_redirects = !options.forbid_redirects;

    Text block = options.headers;
    if (options.complete_headers) block = CompletedHeaders(block, url, verb == "POST");
    if (options.normalize_headers) block = NormalizeHeaderNames(block);

    if (!options.proxy.empty() && !options.proxy_user.empty()) {
        request.credentials =
            web_internal::Credentials{platform::Cp936ToUtf8(options.proxy_user.view()),
                                      platform::Cp936ToUtf8(options.proxy_password.view()), options.credentials_target};
        if (options.credentials_target == 1) {
            const Text pair = ConcatText(options.proxy_user, Text(":"), options.proxy_password);
            // The proxy gets this line, in a CONNECT too; the server never does.
            request.proxy_headers.Set(Text("Proxy-Authorization"),
                                      ConcatText(Text("Basic "), EncodeBase64(ToBytes(pair))));
        }
    }

    if (options.cookies) {
        Text& cookies = *options.cookies;
        const Text cookie_marker("Cookie:");
        if (!cookies.empty() && FindText(cookies, cookie_marker, std::nullopt, true) != -1) {
            cookies = ReplaceText(cookies, cookie_marker, Text(), std::nullopt, std::nullopt, false);
        }
        request.headers.Set(Text("Cookie"), cookies);
    }

    SetBlockHeaders(block, request.headers);

    request.body =
        !options.post_bytes.empty() ? options.post_bytes.data() : platform::Cp936ToUtf8(options.post_text.view());

    web_internal::ExchangeResult result = web_internal::RunExchange(WebRequestObjectAccess::Handle(*object), request);

    const Text response_headers(platform::Utf8ToCp936(result.header_text));
    if (options.response_headers) *options.response_headers = response_headers;
    if (options.status_code) *options.status_code = result.status;

    Text returned_cookies = CollectReturnedCookies(response_headers);
    if (options.merge_cookies && options.cookies) returned_cookies = MergeCookies(*options.cookies, returned_cookies);
    if (options.returned_cookies) *options.returned_cookies = returned_cookies;

    return Bytes(std::move(result.body));
}

}  // namespace qimbra
