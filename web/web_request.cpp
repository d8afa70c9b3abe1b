#include "web/web_request.h"

#include <array>
#include <limits>
#include <new>
#include <optional>
#include <utility>

#include "platform/encoding.h"
#include "platform/thread.h"
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
    web_internal::CurlMultiPtr multi(curl_multi_init());
    if (curl && multi) {
        state_ = std::make_unique<State>();
        state_->curl = std::move(curl);
        state_->multi = std::move(multi);
    }
}

WebRequestObject::~WebRequestObject() = default;
WebRequestObject::WebRequestObject(WebRequestObject&& other) noexcept = default;
WebRequestObject& WebRequestObject::operator=(WebRequestObject&& other) noexcept = default;

bool WebRequestObject::valid() const { return WebRequestObjectAccess::Handles(*this).easy != nullptr; }

namespace {

constexpr std::array<const char*, 8> kVerbs = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT"};
constexpr int32_t kDefaultTimeoutMs = 15000;

const Text kCrLf("\r\n");

// The lines added where the block lacks them, in this order; each test looks
// for `tested` anywhere in the block, ignoring case.
struct DefaultHeader {
    Text tested;
    Text line;  // empty: "Referer: " + the URL
    bool post_only = false;
};
const std::array<DefaultHeader, 5> kDefaultHeaders = {{
    {Text("Accept:"), Text("Accept: */*")},
    {Text("Referer:"), Text()},
    {Text("Accept-Language:"), Text("Accept-Language: zh-cn")},
    {Text("User-Agent:"), Text("User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)")},
    {Text("Content-Type:"), Text("Content-Type: application/x-www-form-urlencoded"), true},
}};
const Text kReferer("Referer: ");

// The calling thread's own request object, made on its first call. A thread
// whose object could not be made tries again on its next call.
// The object is freed when the thread ends (AtThreadExit, not a thread_local
// destructor, which Windows' thread-local storage may outlive).
WebRequestObject* ThreadRequestObject() {
    thread_local WebRequestObject* object = nullptr;
    if (object == nullptr) {
        object = new (std::nothrow) WebRequestObject();
        if (object == nullptr) return nullptr;
        platform::AtThreadExit([made = object] { delete made; });
    }
    if (!object->valid()) *object = WebRequestObject();
    return object->valid() ? object : nullptr;
}

// The header block with the default lines added where it lacks them.
Text CompletedHeaders(Text block, const Text& url, bool is_post) {
    for (const DefaultHeader& header : kDefaultHeaders) {
        if (header.post_only && !is_post) continue;
        if (FindText(block, header.tested, std::nullopt, true) != -1) continue;
        block = ConcatText(block, kCrLf, header.line.empty() ? ConcatText(kReferer, url) : header.line);
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
    static const Text kSetCookie("Set-Cookie");
    static const Text kMarker("Set-Cookie:");
    static const Text kNameEnd(": ");
    static const Text kSemicolon(";");
    static const Text kSeparator("; ");
    Text cookies;
    for (const Text& line : SplitText(response_headers, kCrLf)) {
        if (CompareText(TextLeftOf(line, kNameEnd), kSetCookie) != 0) continue;
        const Text piece = FindText(line, kSemicolon) != -1
                               ? TextBetween(line, kMarker, kSemicolon)
                               : ReplaceText(line, kMarker, std::nullopt, std::nullopt, std::nullopt, false);
        cookies = ConcatText(cookies, TrimText(piece), kSeparator);
    }
    if (TextRight(cookies, 2) == kSeparator) cookies = TextLeft(cookies, TextLength(cookies) - 2);
    return cookies;
}

// A browser's bounds on its cookie jar.
constexpr size_t kMaxCookieBytes = 4096;
constexpr size_t kMaxCookieTextBytes = 16 * 1024;

// `cookies` ("a=1; b=2", newest first) without its pieces longer than
// kMaxCookieBytes, and then, while longer than `max_bytes`, without its last
// (oldest) pieces.
Text BoundedCookies(const Text& cookies, size_t max_bytes) {
    const std::string_view text = cookies.view();
    if (text.size() <= kMaxCookieBytes && text.size() <= max_bytes) return cookies;
    static constexpr std::string_view kSeparator = "; ";
    std::string kept;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find(kSeparator, start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view piece = text.substr(start, end - start);
        start = end + kSeparator.size();
        if (piece.size() > kMaxCookieBytes) continue;
        const size_t grown = kept.size() + (kept.empty() ? 0 : kSeparator.size()) + piece.size();
        if (grown > max_bytes) break;
        if (!kept.empty()) kept += kSeparator;
        kept += piece;
    }
    return Text(kept);
}

std::optional<int32_t> TimeoutMs(int32_t timeout_seconds) {
    if (timeout_seconds == -1) return std::nullopt;
    if (timeout_seconds < 1) return kDefaultTimeoutMs;
    // Seconds whose milliseconds do not fit 32 bits wait as long as fits.
    const int64_t ms = int64_t{timeout_seconds} * 1000;
    return static_cast<int32_t>(std::min<int64_t>(ms, std::numeric_limits<int32_t>::max()));
}

Bytes WebRequestUnguarded(const Text& url, const WebRequestOptions& options) {
    const int32_t method = (options.method < 0 || options.method > 7) ? 0 : options.method;
    const std::string verb = kVerbs[static_cast<size_t>(method)];

    WebRequestObject* object = options.request_object ? options.request_object : ThreadRequestObject();
    if (!object) {
        // Nothing sent; the caller's other variables stay untouched.
        if (options.failure) *options.failure = WebFailure::kRefused;
        return Bytes();
    }

    web_internal::ExchangeRequest request;
    request.url = url.bytes();
    request.verb = verb;
    request.timeout_ms = TimeoutMs(options.timeout_seconds);
    if (!options.proxy.empty()) request.proxy = platform::Cp936ToUtf8(options.proxy.view());
    request.follow_redirects = !options.forbid_redirects;
    request.cancel = options.cancel;

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
        // Every "Cookie:" in any letter case goes; a text without one comes
        // back as it was, so no search in front is needed.
        cookies = ReplaceText(cookies, Text("Cookie:"), Text(), std::nullopt, std::nullopt, false);
        request.headers.Set(Text("Cookie"), cookies);
    }

    SetBlockHeaders(block, request.headers);

    request.body =
        !options.post_bytes.empty() ? options.post_bytes.data() : platform::Cp936ToUtf8(options.post_text.view());

    web_internal::ExchangeResult result = web_internal::RunExchange(WebRequestObjectAccess::Handles(*object), request);

    const Text response_headers(platform::Utf8ToCp936(result.header_text));
    if (options.response_headers) *options.response_headers = response_headers;
    if (options.status_code) *options.status_code = result.status;
    if (options.failure) *options.failure = result.failure;

    Text returned_cookies = CollectReturnedCookies(response_headers);
    if (options.merge_cookies && options.cookies) {
        // A cookie too long for a browser never enters the jar, so it does
        // not replace an older cookie of its name either.
        returned_cookies = BoundedCookies(returned_cookies, std::numeric_limits<size_t>::max());
        MergeCookies(*options.cookies, returned_cookies);
        *options.cookies = BoundedCookies(*options.cookies, kMaxCookieTextBytes);
        returned_cookies = *options.cookies;
    }
    if (options.returned_cookies) *options.returned_cookies = returned_cookies;

    return Bytes(std::move(result.body));
}

}  // namespace

Bytes WebRequest(const Text& url, const WebRequestOptions& options) {
    try {
        return WebRequestUnguarded(url, options);
    } catch (const std::bad_alloc&) {
        // The exchange has failed; the cookie variables keep what they hold.
        if (options.response_headers) *options.response_headers = Text();
        if (options.status_code) *options.status_code = 0;
        if (options.failure) *options.failure = WebFailure::kTooLarge;
        return Bytes();
    }
}

}  // namespace qimbra
