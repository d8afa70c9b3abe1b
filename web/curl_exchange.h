// The HTTP exchange itself, on libcurl. Used by WebRequest only; nothing
// outside web/ includes this header.
#pragma once

#include <curl/curl.h>

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
    const std::atomic<bool>* cancel = nullptr;  // true: abandon the exchange
};

struct ExchangeResult {
    std::string body;
    std::string header_text;  // UTF-8 header lines of the last response, joined by CRLF
    int32_t status = 0;
    WebFailure failure = WebFailure::kNone;
};

// Runs one exchange on `curl` (reset first; its connection cache stays). A
// failed exchange gives the empty result with its failure; a null handle
// fails.
[[nodiscard]] ExchangeResult RunExchange(CURL* curl, const ExchangeRequest& request);

}  // namespace qimbra::web_internal

namespace qimbra {

struct WebRequestObject::State {
    web_internal::CurlPtr curl;
};

struct WebRequestObjectAccess {
    static CURL* Handle(const WebRequestObject& object) { return object.state_ ? object.state_->curl.get() : nullptr; }
};

}  // namespace qimbra
