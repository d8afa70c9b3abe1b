#include "web/curl_exchange.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <mutex>
#include <new>
#include <variant>

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

// How long the transfer loop waits for socket activity before it looks at
// the cancel flag and the time bounds again.
constexpr int kPollMs = 20;

// What the callbacks of one exchange fill in.
struct Transfer {
    CURL* curl = nullptr;
    std::string body;
    std::vector<std::string> header_lines;
    size_t head_bytes = 0;  // of the current response
    bool body_too_large = false;
    bool head_too_large = false;
    bool out_of_memory = false;
    int64_t received = 0;  // header and body bytes of every response so far
    // Responses begun so far (redirects, interim answers and a proxy's CONNECT
    // answer each begin one), when the last began, and `received` before it.
    int responses = 0;
    bool awaiting_response = true;  // a request has gone out, no status line yet
    Clock::time_point response_start;
    int64_t received_before_response = 0;
    curl_off_t uploaded = 0;
    Clock::time_point last_activity = Clock::now();

    void Received(size_t length) {
        last_activity = Clock::now();
        received += static_cast<int64_t>(length);
    }
};

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const size_t length = size * count;
    transfer.Received(length);
    std::string_view line(data, length);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    try {
        if (line.starts_with("HTTP/")) {
            ++transfer.responses;
            transfer.awaiting_response = false;
            transfer.response_start = transfer.last_activity;
            transfer.received_before_response = transfer.received - static_cast<int64_t>(length);
            // A new response begins (after a redirect, a 100 Continue or a
            // proxy's CONNECT answer): only the last one counts.
            transfer.header_lines.clear();
            transfer.body.clear();
            transfer.head_bytes = 0;
        } else if (!line.empty()) {
            transfer.head_bytes += length;
            if (transfer.head_bytes > kMaxResponseHeadBytes) {
                transfer.head_too_large = true;
                return 0;  // anything but `length` fails the transfer
            }
            transfer.header_lines.emplace_back(line);
        }
    } catch (const std::bad_alloc&) {
        transfer.out_of_memory = true;
        return 0;
    }
    return length;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const size_t length = size * count;
    transfer.Received(length);
    if (transfer.body.size() + length > kMaxBodyBytes) {
        transfer.body_too_large = true;
        return 0;  // anything but `length` fails the transfer
    }
    try {
        if (transfer.body.empty()) {
            // A claimed length sizes the first reservation, within bounds;
            // past it the body grows with what arrives.
            curl_off_t expected = -1;
            if (curl_easy_getinfo(transfer.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected) == CURLE_OK &&
                expected > 0) {
                transfer.body.reserve(std::min(static_cast<size_t>(expected), kMaxBodyReservation));
            }
        }
        transfer.body.append(data, length);
    } catch (const std::bad_alloc&) {
        transfer.out_of_memory = true;
        return 0;
    }
    return length;
}

// Called before every request of the exchange (each redirect too): until its
// answer begins, the time-out bounds the wait, not the pace rule.
int OnRequest(void* user, char*, char*, int, int) {
    static_cast<Transfer*>(user)->awaiting_response = true;
    return CURL_PREREQFUNC_OK;
}

// Notes uploaded bytes as activity; the limits themselves are checked by the
// transfer loop.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t upload_now) {
    auto& transfer = *static_cast<Transfer*>(user);
    if (upload_now != transfer.uploaded) {
        transfer.uploaded = upload_now;
        transfer.last_activity = Clock::now();
    }
    return 0;
}

// The pace rule of PaceBound over the samples (time, bytes received) that
// the transfer loop takes about 16 times a window. Each response is judged
// from its status line on.
class PaceWatch {
  public:
    explicit PaceWatch(PaceBound bound) : bound_(bound) {}

    // False when the last window brought fewer bytes than the bound asks.
    bool Holds(const Transfer& transfer, Clock::time_point now) {
        if (transfer.awaiting_response) return true;
        if (transfer.responses != response_) {
            response_ = transfer.responses;
            samples_.clear();
            samples_.emplace_back(transfer.response_start, transfer.received_before_response);
        }
        if (now - samples_.back().first >= bound_.window / 16) samples_.emplace_back(now, transfer.received);
        const Clock::time_point window_start = now - bound_.window;
        while (samples_.size() >= 2 && samples_[1].first <= window_start) samples_.pop_front();
        return samples_.front().first > window_start || transfer.received - samples_.front().second >= bound_.min_bytes;
    }

  private:
    PaceBound bound_;
    int response_ = 0;
    std::deque<std::pair<Clock::time_point, int64_t>> samples_;
};

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
            return WebFailure::kTimeOut;
        case CURLE_FILESIZE_EXCEEDED:
        case CURLE_OUT_OF_MEMORY:  // also curl's answer to a single header line over 100 KiB
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

namespace {

size_t HeadBytes(const RequestHeaders& headers) {
    size_t bytes = 0;
    for (const auto& line : headers.lines()) bytes += line.first.size() + line.second.size() + 4;
    return bytes;
}

// Takes the easy handle off the multi handle on every way out, which puts its
// connection back into the multi handle's cache (or closes it mid-transfer).
class Attached {
  public:
    explicit Attached(CurlHandles handles)
        : handles_(handles), ok_(curl_multi_add_handle(handles.multi, handles.easy) == CURLM_OK) {}
    ~Attached() {
        if (ok_) curl_multi_remove_handle(handles_.multi, handles_.easy);
    }
    Attached(const Attached&) = delete;
    Attached& operator=(const Attached&) = delete;
    [[nodiscard]] bool ok() const { return ok_; }

  private:
    CurlHandles handles_;
    bool ok_;
};

// Drives the transfer until curl is done with it (its code) or a bound of
// ours ends it first (the failure; the transfer is then abandoned).
std::variant<CURLcode, WebFailure> Drive(CurlHandles handles, const ExchangeRequest& request, Transfer& transfer,
                                         std::chrono::milliseconds stall_limit) {
    const Attached attached(handles);
    if (!attached.ok()) return WebFailure::kConnection;
    PaceWatch pace(request.pace);
    for (;;) {
        int running = 0;
        if (curl_multi_perform(handles.multi, &running) != CURLM_OK) return WebFailure::kConnection;
        int queued = 0;
        while (const CURLMsg* message = curl_multi_info_read(handles.multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == handles.easy) return message->data.result;
        }
        if (running == 0) return WebFailure::kConnection;  // not done, yet nothing left to run
        if (request.cancel && request.cancel->load()) return WebFailure::kCancelled;
        const Clock::time_point now = Clock::now();
        if (now - transfer.last_activity > stall_limit || !pace.Holds(transfer, now)) return WebFailure::kTimeOut;
        if (curl_multi_poll(handles.multi, nullptr, 0, kPollMs, nullptr) != CURLM_OK) return WebFailure::kConnection;
    }
}

ExchangeResult RunExchangeUnguarded(CurlHandles handles, const ExchangeRequest& request) {
    if (!handles.easy || !handles.multi) return Failed(WebFailure::kRefused);
    if (request.cancel && request.cancel->load()) return Failed(WebFailure::kCancelled);
    const std::optional<std::string> url = WireUrl(request.url);
    if (!url) return Failed(WebFailure::kRefused);
    // "GET <url> HTTP/1.1" and every header line with its CRLF.
    const size_t head_bytes = request.verb.size() + url->size() + 12 + HeadBytes(request.headers);
    if (head_bytes > kMaxRequestHeadBytes || HeadBytes(request.proxy_headers) > kMaxRequestHeadBytes) {
        return Failed(WebFailure::kRefused);
    }

    CURL* curl = handles.easy;
    curl_easy_reset(curl);  // keeps the TLS session cache; connections stay with the multi handle
    Transfer transfer;
    transfer.curl = curl;
    const std::chrono::milliseconds stall_limit(request.timeout_ms.value_or(kDefaultStallMs));
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
    set(CURLOPT_PREREQFUNCTION, &OnRequest);
    set(CURLOPT_PREREQDATA, &transfer);

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

    const std::variant<CURLcode, WebFailure> outcome = Drive(handles, request, transfer, stall_limit);
    if (transfer.out_of_memory) return Failed(WebFailure::kTooLarge);
    if (transfer.body_too_large || transfer.head_too_large) return Failed(WebFailure::kTooLarge);
    if (const WebFailure* failure = std::get_if<WebFailure>(&outcome)) return Failed(*failure);
    const CURLcode code = std::get<CURLcode>(outcome);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    // A redirect we refuse to follow (to plain http from https, or to another
    // scheme) ends the exchange with that redirect response, as when
    // redirects are off.
    const bool refused_redirect = code == CURLE_UNSUPPORTED_PROTOCOL && status >= 300 && status < 400;
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

}  // namespace

ExchangeResult RunExchange(CurlHandles handles, const ExchangeRequest& request) {
    try {
        return RunExchangeUnguarded(handles, request);
    } catch (const std::bad_alloc&) {
        return Failed(WebFailure::kTooLarge);
    }
}

}  // namespace qimbra::web_internal
