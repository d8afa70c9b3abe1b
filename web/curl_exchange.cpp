#include "web/curl_exchange.h"

#include <algorithm>
#include <chrono>
#include <mutex>

#include "platform/encoding.h"

namespace qimbra::web_internal {
namespace {

// A body past this size fails the exchange instead of exhausting memory.
constexpr size_t kMaxBodyBytes = size_t{512} << 20;
// The stall limit when the caller asked for no time-outs of our own.
constexpr int32_t kDefaultStallMs = 30000;

struct SlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using SlistPtr = std::unique_ptr<curl_slist, SlistFree>;

bool Append(SlistPtr& list, const std::string& line) {
    curl_slist* head = curl_slist_append(list.get(), line.c_str());
    if (!head) return false;  // the old list is still whole and still ours
    (void)list.release();
    list.reset(head);
    return true;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c | 0x20) : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

using Clock = std::chrono::steady_clock;

// What the callbacks of one exchange fill in.
struct Transfer {
    CURL* curl = nullptr;
    std::string body;
    std::vector<std::string> header_lines;
    bool body_too_large = false;
    std::chrono::milliseconds stall_limit{kDefaultStallMs};
    Clock::time_point last_activity = Clock::now();
    curl_off_t bytes_moved = 0;
    const std::atomic<bool>* cancel = nullptr;
};

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const size_t length = size * count;
    transfer.last_activity = Clock::now();
    std::string_view line(data, length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.starts_with("HTTP/")) {
        // A new response begins (after a redirect, a 100 Continue or a proxy's
        // CONNECT answer): only the last one counts.
        transfer.header_lines.clear();
        transfer.body.clear();
    } else if (!line.empty()) {
        transfer.header_lines.emplace_back(line);
    }
    return length;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const size_t length = size * count;
    transfer.last_activity = Clock::now();
    if (transfer.body.size() + length > kMaxBodyBytes) {
        transfer.body_too_large = true;
        return 0;  // anything but `length` fails the transfer
    }
    if (transfer.body.empty()) {
        curl_off_t expected = -1;
        if (curl_easy_getinfo(transfer.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected) == CURLE_OK &&
            expected > 0 && static_cast<size_t>(expected) <= kMaxBodyBytes) {
            transfer.body.reserve(static_cast<size_t>(expected));
        }
    }
    transfer.body.append(data, length);
    return length;
}

// Fails the exchange when no byte has moved either way for the stall limit.
int OnProgress(void* user, curl_off_t, curl_off_t download_now, curl_off_t, curl_off_t upload_now) {
    auto& transfer = *static_cast<Transfer*>(user);
    if (transfer.cancel != nullptr && transfer.cancel->load()) return 1;
    const Clock::time_point now = Clock::now();
    if (download_now + upload_now != transfer.bytes_moved) {
        transfer.bytes_moved = download_now + upload_now;
        transfer.last_activity = now;
    }
    return now - transfer.last_activity > transfer.stall_limit ? 1 : 0;
}

std::string HeaderLine(const std::pair<std::string, std::string>& header) {
    // "Name;" is curl's way of sending a header with an empty value.
    return header.second.empty() ? header.first + ";" : header.first + ": " + header.second;
}

// The URL as curl gets it: UTF-8, with every byte outside printable ASCII and
// every space percent-encoded. nullopt when it is not an http or https URL.
std::optional<std::string> WireUrl(const std::string& cp936_url) {
    const std::string utf8 = platform::Cp936ToUtf8(cp936_url);
    if (!StartsWithIgnoringCase(utf8, "http://") && !StartsWithIgnoringCase(utf8, "https://")) return std::nullopt;
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

ExchangeResult Failed(WebFailure failure) {
    ExchangeResult result;
    result.failure = failure;
    return result;
}

WebFailure FailureOf(CURLcode code) {
    switch (code) {
        case CURLE_OPERATION_TIMEDOUT:
        case CURLE_ABORTED_BY_CALLBACK:  // the stall limit in OnProgress
            return WebFailure::kTimeOut;
        case CURLE_FILESIZE_EXCEEDED:
            return WebFailure::kTooLarge;
        case CURLE_URL_MALFORMAT:
        case CURLE_UNSUPPORTED_PROTOCOL:
            return WebFailure::kRefused;
        default:
            return WebFailure::kConnection;
    }
}

}  // namespace

void EnsureCurlReady() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool RequestHeaders::Set(const Text& name, const Text& value) {
    if (name.empty()) return false;
    auto breaks_line = [](std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; };
    if (breaks_line(name.view()) || breaks_line(value.view())) return false;
    std::string utf8_name = platform::Cp936ToUtf8(name.view());
    std::string utf8_value = platform::Cp936ToUtf8(value.view());
    for (auto& line : lines_) {
        if (EqualsIgnoringCase(line.first, utf8_name)) {
            line.second = std::move(utf8_value);
            return true;
        }
    }
    lines_.emplace_back(std::move(utf8_name), std::move(utf8_value));
    return true;
}

bool RequestHeaders::Has(std::string_view name) const {
    return std::any_of(lines_.begin(), lines_.end(),
                       [&](const auto& line) { return EqualsIgnoringCase(line.first, name); });
}

ExchangeResult RunExchange(CURL* curl, const ExchangeRequest& request) {
    if (!curl) return Failed(WebFailure::kRefused);
    const std::optional<std::string> url = WireUrl(request.url);
    if (!url) return Failed(WebFailure::kRefused);

    curl_easy_reset(curl);  // keeps the connection and TLS session caches
    Transfer transfer;
    transfer.curl = curl;
    if (request.timeout_ms) transfer.stall_limit = std::chrono::milliseconds(*request.timeout_ms);

    bool ok = true;
    auto set = [&](CURLoption option, auto value) { ok = ok && curl_easy_setopt(curl, option, value) == CURLE_OK; };

    set(CURLOPT_URL, url->c_str());
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    const bool secure = StartsWithIgnoringCase(*url, "https://");
    set(CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    set(CURLOPT_FOLLOWLOCATION, request.follow_redirects ? 1L : 0L);
    set(CURLOPT_MAXREDIRS, 10L);
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    set(CURLOPT_SSL_VERIFYPEER, 0L);
    set(CURLOPT_SSL_VERIFYHOST, 0L);
    set(CURLOPT_PROXY_SSL_VERIFYPEER, 0L);
    set(CURLOPT_PROXY_SSL_VERIFYHOST, 0L);
    // An empty proxy also keeps curl from taking one from the environment.
    set(CURLOPT_PROXY, request.proxy.c_str());
    set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxBodyBytes));
    if (request.timeout_ms) set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(*request.timeout_ms));

    set(CURLOPT_HEADERFUNCTION, &OnHeader);
    set(CURLOPT_HEADERDATA, &transfer);
    set(CURLOPT_WRITEFUNCTION, &OnBody);
    set(CURLOPT_WRITEDATA, &transfer);
    set(CURLOPT_NOPROGRESS, 0L);
    set(CURLOPT_XFERINFOFUNCTION, &OnProgress);
    set(CURLOPT_XFERINFODATA, &transfer);

    // The caller's lines in order; then curl's own additions switched off
    // (an empty "Name:" removes a header curl would add) unless the caller
    // set that header. Host stays curl's unless the caller gave one.
    SlistPtr headers;
    for (const auto& header : request.headers.lines()) ok = ok && Append(headers, HeaderLine(header));
    for (const char* name : {"Accept", "Expect", "Content-Type"}) {
        if (!request.headers.Has(name)) ok = ok && Append(headers, std::string(name) + ":");
    }
    SlistPtr proxy_headers;
    for (const auto& header : request.proxy_headers.lines()) ok = ok && Append(proxy_headers, HeaderLine(header));
    if (!request.proxy_headers.Has("Proxy-Connection")) ok = ok && Append(proxy_headers, "Proxy-Connection:");
    set(CURLOPT_HTTPHEADER, headers.get());
    set(CURLOPT_PROXYHEADER, proxy_headers.get());
    set(CURLOPT_HEADEROPT, static_cast<long>(CURLHEADER_SEPARATE));

    auto send_body = [&] {
        set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        set(CURLOPT_POSTFIELDS, request.body.c_str());
    };
    if (request.verb == "HEAD") {
        set(CURLOPT_NOBODY, 1L);
    } else if (request.verb == "POST") {
        set(CURLOPT_POST, 1L);
        send_body();
    } else if (request.verb == "GET" && request.body.empty()) {
        set(CURLOPT_HTTPGET, 1L);
    } else {
        set(CURLOPT_CUSTOMREQUEST, request.verb.c_str());
        if (!request.body.empty() || request.verb == "PUT") send_body();
    }

    if (request.credentials) {
        const Credentials& credentials = *request.credentials;
        if (credentials.target == 1) {
            set(CURLOPT_PROXYUSERNAME, credentials.user.c_str());
            set(CURLOPT_PROXYPASSWORD, credentials.password.c_str());
            set(CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
        } else if (credentials.target == 0) {
            set(CURLOPT_USERNAME, credentials.user.c_str());
            set(CURLOPT_PASSWORD, credentials.password.c_str());
            set(CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_ANY));
        }
    }
    if (!ok) return Failed(WebFailure::kRefused);

    transfer.cancel = request.cancel;
    const auto cancelled = [&] { return request.cancel != nullptr && request.cancel->load(); };
    if (cancelled()) return Failed(WebFailure::kCancelled);
    const CURLcode code = curl_easy_perform(curl);
    if (code != CURLE_OK && cancelled()) return Failed(WebFailure::kCancelled);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    // A redirect we refuse to follow (to plain http from https, or to another
    // scheme) ends the exchange with that redirect response, as when
    // redirects are off.
    const bool refused_redirect = code == CURLE_UNSUPPORTED_PROTOCOL && status >= 300 && status < 400;
    if (transfer.body_too_large) return Failed(WebFailure::kTooLarge);
    if (code != CURLE_OK && !refused_redirect) return Failed(FailureOf(code));

    ExchangeResult result;
    result.body = std::move(transfer.body);
    for (const std::string& line : transfer.header_lines) {
        if (!result.header_text.empty()) result.header_text += "\r\n";
        result.header_text += line;
    }
    result.status = static_cast<int32_t>(status);
    return result;
}

}  // namespace qimbra::web_internal
