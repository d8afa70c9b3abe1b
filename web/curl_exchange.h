// The HTTP exchange itself, on libcurl. Used by WebRequest only; nothing
// outside web/ includes this header.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "web/web_request.h"

namespace qimbra::web_internal {

struct CurlFree {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
using CurlPtr = std::unique_ptr<CURL, CurlFree>;

struct CurlMultiFree {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
using CurlMultiPtr = std::unique_ptr<CURLM, CurlMultiFree>;

// The handles of one request object. The transfer runs on `multi`, whose
// connection cache keeps connections open from one exchange to the next.
struct CurlHandles {
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
};

// The least a response must deliver to go on: from its status line on,
// every stretch of `window` must bring at least `min_bytes` (header lines
// and body together), or the exchange fails as a time-out. The default,
// 20 KiB in 20 s, is an average of 1 KiB/s: any healthy transfer, even a
// slow 100 KiB/s one, passes it many times over, while a server that drips
// a byte or a header line every few seconds fails about 20 s after its
// status line. Between a request and its status line (connecting, a server
// that thinks, also after a redirect) the time-out alone bounds the wait; a
// response that ends within its first window is never cut off by this rule.
struct PaceBound {
    std::chrono::milliseconds window{20000};
    int64_t min_bytes = 20 * 1024;
};

// The largest request line plus header block that is sent; a larger request
// is refused at once, before anything goes out.
inline constexpr size_t kMaxRequestHeadBytes = 64 * 1024;
// The largest response header block that is accepted.
inline constexpr size_t kMaxResponseHeadBytes = 256 * 1024;
// What a claimed Content-Length may reserve for the body in advance; the
// body grows past it only with the bytes that arrive.
inline constexpr size_t kMaxBodyReservation = size_t{4} << 20;

// Makes curl ready for use; safe to call from any thread, any number of times.
void EnsureCurlReady();

// Request headers as the request object collects them: UTF-8 names and
// values, in the order first set; setting a name again replaces its value.
class RequestHeaders {
  public:
    // Refused silently (false) when the name is empty or either part holds
    // CR or LF. Both parts are code page 936.
    bool Set(const Text& name, const Text& value);
    [[nodiscard]] const std::vector<std::pair<std::string, std::string>>& lines() const { return lines_; }
    [[nodiscard]] bool Has(std::string_view name) const;

  private:
    std::vector<std::pair<std::string, std::string>> lines_;
};

struct Credentials {
    std::string user;      // UTF-8
    std::string password;  // UTF-8
    int32_t target = 1;    // 0 the server, 1 the proxy
};

struct ExchangeRequest {
    std::string url;   // code page 936, as the caller gave it
    std::string verb;  // "GET", "POST", ...
    RequestHeaders headers;
    RequestHeaders proxy_headers;       // sent to the proxy only (also in a CONNECT)
    std::string body;                   // the bytes to send
    std::string proxy;                  // UTF-8; empty: none (also none from the environment)
    std::optional<int32_t> timeout_ms;  // nullopt: curl's own time-outs
    bool follow_redirects = true;
    std::optional<Credentials> credentials;
    PaceBound pace{};
    // Set and true: the exchange is abandoned (checked every few ms).
    const std::atomic<bool>* cancel = nullptr;
};

struct ExchangeResult {
    std::string body;
    std::string header_text;  // UTF-8 header lines of the last response, joined by CRLF
    int32_t status = 0;
    WebFailure failure = WebFailure::kNone;
};

// Runs one exchange on `handles` (the easy handle is reset first; the
// connection cache stays). A failed exchange gives the empty result with its
// failure; null handles fail, and a request line and header block over
// kMaxRequestHeadBytes is refused before anything is sent. Never throws:
// running out of memory fails the exchange as kTooLarge.
[[nodiscard]] ExchangeResult RunExchange(CurlHandles handles, const ExchangeRequest& request);

}  // namespace qimbra::web_internal

namespace qimbra {

struct WebRequestObject::State {
    // The easy handle goes before the multi handle whose connection cache its
    // last connection may still name: the other way round, curl's Windows
    // build reads a freed connection.
    ~State() {
        curl.reset();
        multi.reset();
    }
    web_internal::CurlPtr curl;
    web_internal::CurlMultiPtr multi;
};

struct WebRequestObjectAccess {
    static web_internal::CurlHandles Handles(const WebRequestObject& object) {
        if (!object.state_) return {};
        return {object.state_->curl.get(), object.state_->multi.get()};
    }
};

}  // namespace qimbra
