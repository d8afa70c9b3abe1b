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
    kTimeOut,     // connecting, a stretch without a byte moving, or a response
                  // slower than 20 KiB in 20 s, took too long
    kConnection,  // no connection, a reset, a TLS or protocol error
    kTooLarge,    // the body passed the size limit, the response headers passed
                  // 256 KiB, or the response did not fit in memory
    kRefused,     // nothing was sent: an unusable URL or request, or a request
                  // line and header block over 64 KiB
    kCancelled,   // the caller's cancel flag ended the exchange
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
    //
    // The merged text is bounded as a browser bounds its cookie jar: a cookie
    // the response sets that is longer than 4096 bytes is ignored, and when
    // the merged text passes 16384 bytes its oldest cookies (the last
    // pieces) are dropped until it fits.
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
    bool forbid_redirects = false;
    // Sent unchanged when not empty, in place of `post_text`.
    Bytes post_bytes{};
    // Proxy server address ("host:port"); empty: no proxy.
    Text proxy{};
    // 0 or less: 15 seconds; -1: no time-outs of our own (a 30 s stall limit
    // stays). Bounds connecting, and every stretch in which no byte moves; a
    // transfer that keeps moving may take longer, as long as each response
    // brings at least 20 KiB in every 20 s from its status line on (the
    // average of 1 KiB/s that a drip fails and a slow link passes).
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
    // Set: when it turns true, from any thread, the exchange in flight is
    // abandoned within a few tens of milliseconds and fails as
    // WebFailure::kCancelled; nothing of its response is returned. Already
    // true: nothing is sent.
    const std::atomic<bool>* cancel = nullptr;
};

// Fetches `url` (code page 936; only http and https) and returns the response
// body, following up to 10 redirects (never from https to http) unless
// `forbid_redirects`. Empty when the exchange produced no body or failed: no
// connection, a time-out, a body over 512 MiB, an unusable URL, a request
// too large to send, a cancel. Certificates are not checked. Blocks the
// calling thread until the exchange is over. Running out of memory fails the
// exchange (WebFailure::kTooLarge) instead of ending the program.
Bytes WebRequest(const Text& url, const WebRequestOptions& options = {});

}  // namespace qimbra
