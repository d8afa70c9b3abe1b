// One synchronous HTTP exchange: the system's only network access.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "values/bytes.h"
#include "values/text.h"

namespace qimbra {

// A caller's own HTTP request object. It keeps its open connections and TLS
// sessions from one WebRequest to the next, so calls that share one object
// reuse their connections; a new object starts with none. Not to be used by
// two threads at once.
class WebRequestObject {
  public:
    // valid() is false when the underlying handle could not be made.
    WebRequestObject();
    ~WebRequestObject();
    WebRequestObject(WebRequestObject&& other) noexcept;
    WebRequestObject& operator=(WebRequestObject&& other) noexcept;

    [[nodiscard]] bool valid() const;

  private:
    friend struct WebRequestObjectAccess;
    struct State;
    std::unique_ptr<State> state_;
};

// Why an exchange gave no response.
enum class WebFailure {
    kNone,        // a response arrived (whatever its status)
    kTimeOut,     // connecting, or a stretch without a byte moving, took too long
    kConnection,  // no connection, a reset, a TLS or protocol error
    kTooLarge,    // the body passed the size limit
    kRefused,     // nothing was sent: an unusable URL or request
    kCancelled,   // abandoned because `cancel` became true
};

// The optional parameters of WebRequest with their defaults. Out and in/out
// parameters are pointers to the caller's variables; nullptr leaves them out.
// Every field has a default member initializer, so designated initializers
// leave out any of them without a warning. In this order:
//   WebRequest(url, {.method = 0, .cookies = &cookies, .headers = headers});
struct WebRequestOptions {
    // 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT;
    // any other value is GET.
    int32_t method = 0;
    // Sent as UTF-8 when `post_bytes` is empty.
    Text post_text{};
    // In/out. Sent as the Cookie header (even when empty; every "Cookie:" in it
    // is removed first, in the caller's variable too) and, with
    // `merge_cookies`, rewritten with the response's cookies merged in. Left
    // out: no Cookie header and no merging.
    Text* cookies = nullptr;
    // Out: the cookies this response set ("a=1; b=2"), merged like `cookies`
    // when merging took place.
    Text* returned_cookies = nullptr;
    // Header lines separated by CRLF, each "Name: value".
    Text headers{};
    // Out: the last response's header lines without its status line, joined
    // by CRLF; empty after a failed exchange.
    Text* response_headers = nullptr;
    // Out: the last response's status; 0 after a failed exchange.
    int32_t* status_code = nullptr;
    // Out: why the exchange failed; WebFailure::kNone when a response came.
    WebFailure* failure = nullptr;
    // Set true from any thread: the exchange is abandoned (WebFailure::
    // kCancelled, empty body). nullptr: none.
    const std::atomic<bool>* cancel = nullptr;
    bool forbid_redirects = false;
    // Sent unchanged when not empty, in place of `post_text`.
    Bytes post_bytes{};
    // Proxy server address ("host:port"); empty: no proxy.
    Text proxy{};
    // 0 or less: 15 seconds; -1: no time-outs of our own (a 30 s stall limit
    // stays). Bounds connecting, and every stretch in which no byte moves; a
    // transfer that keeps moving may take longer.
    int32_t timeout_seconds = 0;
    // With `proxy` and `proxy_user` both set: credentials for the proxy
    // (`credentials_target` 1, also sent as a Basic Proxy-Authorization line)
    // or for the server (0).
    Text proxy_user{};
    Text proxy_password{};
    int32_t credentials_target = 1;
    // Left out: the calling thread's own object, which keeps that thread's
    // connections open between calls.
    WebRequestObject* request_object = nullptr;
    bool merge_cookies = true;
    // Adds Accept, Referer, Accept-Language, User-Agent (and, for POST,
    // Content-Type) lines where the block lacks them.
    bool complete_headers = true;
    // Writes header names with capitalised words and drops lines without ":".
    bool normalize_headers = true;
};

// Fetches `url` (code page 936; only http and https) and returns the response
// body, following up to 10 redirects (never from https to http) unless
// `forbid_redirects`. Empty when the exchange produced no body or failed: no
// connection, a time-out, a body over 512 MiB, an unusable URL. Certificates
// are not checked. Blocks the calling thread until the exchange is over.
Bytes WebRequest(const Text& url, const WebRequestOptions& options = {});

}  // namespace qimbra
