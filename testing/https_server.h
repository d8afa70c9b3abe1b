// A loopback HTTPS (or plain HTTP) server for tests, in the test process.
//
// It listens on 127.0.0.1 on a port of the system's choosing, answers on
// background threads, and records every request exactly as it arrived: the
// request line, the header lines in their order and spelling, the body, and
// which connection it came on. Responses are given by handlers registered per
// method and path; their header lines go on the wire as written, so a test can
// send lines a library would refuse to write ("Set-Cookie:c=3"). A response
// can also misbehave the way broken or hostile servers do: pause, drip its
// header lines or body, claim a length it never sends, reset the connection,
// flood cookies or send a huge header (see Response); HandleRedirectLoop
// serves a redirect loop.
//
//   qimbra::testing::HttpsServer server;
//   server.Handle("GET", "/a", [](const Request& req, Response& res) {
//       res.header_lines = {"Set-Cookie: sid=1; path=/"};
//       res.body = "hello";
//   });
//   ... fetch server.Url("/a") ...
//   EXPECT_EQ(server.Requests().at(0).header_lines[0], "Host: 127.0.0.1:" + ...);
//   EXPECT_EQ(server.ConnectionCount(), 1);
//
// The certificate is self-signed (see self_signed_cert.h), so clients must not
// verify it. Requests with a Content-Length body are understood; chunked
// request bodies are not. "Expect: 100-continue" gets its interim answer.
// Why not cpp-httplib's server: it keeps request headers in a sorted
// multimap (their order is lost) and writes every response header itself.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace qimbra::testing {

// One request as the server received it.
struct Request {
    std::string method;                     // "GET"
    std::string target;                     // as on the request line, query included: "/a%20b?x=1"
    std::string path;                       // target without its query: "/a%20b"
    std::string version;                    // "HTTP/1.1"
    std::vector<std::string> header_lines;  // each line as received, without CRLF, in order
    std::string body;
    int connection = 0;   // 1-based number of the connection (in order of acceptance)
    int remote_port = 0;  // the client's port on that connection

    // Value of the first header line whose name equals `name` ignoring ASCII
    // case, without the blanks around it; empty when there is none.
    [[nodiscard]] std::string Header(std::string_view name) const;
    // True when some header line has the name `name` (ASCII case ignored).
    [[nodiscard]] bool HasHeader(std::string_view name) const;
};

// What a handler answers. Defaults give "HTTP/1.1 200 OK" with an empty body.
struct Response {
    int status = 200;
    std::string reason;                     // empty: the usual phrase for `status` ("OK", "Found", ...)
    std::vector<std::string> header_lines;  // written as given, each followed by CRLF
    std::string body;                       // not sent for HEAD; Content-Length still tells its size
    bool add_content_length = true;         // adds "Content-Length: <size of body>" after the lines
    bool close = false;                     // close the connection after this response
    // A pause (cut short when the server stops): after `pause_after_bytes`
    // bytes of the whole response (status line and headers included) have
    // been sent, nothing more is sent for `pause_ms` milliseconds. With
    // pause_after_bytes 0 the server stays silent after reading the request.
    int pause_ms = 0;
    size_t pause_after_bytes = 0;
    // Set: after this many bytes of the whole response the connection is
    // reset (TCP RST, no TLS close), as a server that crashes mid-body.
    std::optional<size_t> reset_after_bytes;

    // Misbehaviours of slow, broken or hostile servers. Pauses are cut short
    // when the server stops, and they follow the pause above.
    //
    // A drip of header lines: the status line goes at once, then each header
    // line, and the blank line that ends the block, follows this many
    // milliseconds after the one before.
    int header_line_interval_ms = 0;
    // A drip of the body: the header block goes at once, then the body
    // `drip_bytes` at a time with `drip_interval_ms` after each piece.
    // 10240 bytes every 100 ms is a slow but healthy 100 KiB/s server;
    // 1 byte every 5000 ms a hostile one.
    int drip_interval_ms = 0;
    size_t drip_bytes = 1;
    // Set: the Content-Length line claims this size instead of the body's
    // (with `add_content_length`), and the connection closes after the body,
    // so a claim larger than the body is never met.
    std::optional<size_t> claimed_length;
    // A cookie flood: this many "Set-Cookie: flood<k>=<k>; path=/" lines after
    // `header_lines`, with names no earlier response of this server used.
    int new_cookies = 0;
    // A huge header: one line "X-Filler: xxx..." of this many bytes in all
    // (at least 12) after `header_lines`; 0 sends none.
    size_t filler_header_bytes = 0;
};

using Handler = std::function<void(const Request&, Response&)>;

class HttpsServer {
  public:
    // Starts listening at once. `tls` false makes a plain HTTP server (used
    // as a stand-in proxy). On failure port() is 0.
    explicit HttpsServer(bool tls = true);
    // Stops: pauses are cut short, connections are closed, threads joined.
    ~HttpsServer();
    HttpsServer(const HttpsServer&) = delete;
    HttpsServer& operator=(const HttpsServer&) = delete;

    [[nodiscard]] int port() const { return port_; }
    // "https://127.0.0.1:<port>" + path (http:// for a plain server).
    [[nodiscard]] std::string Url(std::string_view path = "") const;
    // "127.0.0.1:<port>"
    [[nodiscard]] std::string HostPort() const;

    // Answers requests whose method equals `method` (empty: any method) and
    // whose path (without query) equals `path`. A later registration of the
    // same pair replaces the earlier one. Unmatched requests get 404. The
    // handler runs on a connection thread; it may be called concurrently.
    void Handle(std::string method, std::string path, Handler handler);
    // Answers every request that no other handler matches.
    void HandleOthers(Handler handler);
    // A redirect loop that never repeats an address: `path` answers 302 with
    // a Location of `path` and a query counting the hops ("/loop?hop=1",
    // "/loop?hop=2", ...), for ever.
    void HandleRedirectLoop(const std::string& path);

    // Every request so far, in order of arrival.
    [[nodiscard]] std::vector<Request> Requests() const;
    // Number of connections accepted so far.
    [[nodiscard]] int ConnectionCount() const;
    // Forgets the recorded requests (the connection count stays).
    void ClearRequests();

  private:
    struct Connection;
    void AcceptLoop();
    void Serve(Connection& connection);
    bool SendResponse(Connection& connection, const Request& request, Response response);
    // Waits up to `ms`; false when the server stopped meanwhile.
    bool PauseUnlessStopped(int ms);

    bool tls_ = true;
    int listen_fd_ = -1;
    int port_ = 0;
    void* ssl_ctx_ = nullptr;  // SSL_CTX*, kept out of this header

    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::condition_variable stop_cv_;
    std::map<std::pair<std::string, std::string>, Handler> handlers_;
    Handler others_;
    std::vector<Request> requests_;
    int connection_count_ = 0;
    int flood_cookies_sent_ = 0;
    std::vector<std::unique_ptr<Connection>> connections_;
    std::thread accept_thread_;
};

}  // namespace qimbra::testing
