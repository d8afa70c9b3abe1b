#include "testing/https_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>

#include "testing/self_signed_cert.h"

namespace qimbra::testing {
namespace {

constexpr size_t kMaxHeadBytes = 1 << 20;

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c | 0x20) : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::string ReasonPhrase(int status) {
    switch (status) {
        case 100:
            return "Continue";
        case 200:
            return "OK";
        case 201:
            return "Created";
        case 204:
            return "No Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 304:
            return "Not Modified";
        case 307:
            return "Temporary Redirect";
        case 308:
            return "Permanent Redirect";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 407:
            return "Proxy Authentication Required";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

// The value of the first header line named `name` (ASCII case ignored),
// without the blanks around it; nullopt when no line has that name.
std::optional<std::string_view> FindHeader(const std::vector<std::string>& lines, std::string_view name) {
    for (const std::string_view line : lines) {
        const size_t colon = line.find(':');
        if (colon != std::string_view::npos && EqualsIgnoringCase(TrimBlanks(line.substr(0, colon)), name)) {
            return TrimBlanks(line.substr(colon + 1));
        }
    }
    return std::nullopt;
}

}  // namespace

std::string Request::Header(std::string_view name) const {
    return std::string(FindHeader(header_lines, name).value_or(std::string_view()));
}

bool Request::HasHeader(std::string_view name) const { return FindHeader(header_lines, name).has_value(); }

struct HttpsServer::Connection {
    int fd = -1;
    SSL* ssl = nullptr;
    int id = 0;
    int remote_port = 0;
    std::string buffer;
    std::thread thread;
    std::atomic<bool> done{false};

    ~Connection() {
        if (ssl) SSL_free(ssl);
        if (fd >= 0) close(fd);
    }

    // Drops the connection with a TCP reset: no TLS close, no orderly end.
    void Reset() {
        const linger abort_on_close{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort_on_close, sizeof abort_on_close);
        if (ssl) {
            SSL_free(ssl);
            ssl = nullptr;
        }
        close(fd);
        fd = -1;
    }

    // Some bytes into `buffer`; false at the end of the stream or on error.
    bool ReadMore() {
        char chunk[16384];
        long got = 0;
        if (ssl) {
            got = SSL_read(ssl, chunk, sizeof chunk);
        } else {
            got = recv(fd, chunk, sizeof chunk, 0);
        }
        if (got <= 0) return false;
        buffer.append(chunk, static_cast<size_t>(got));
        return true;
    }

    bool WriteAll(std::string_view data) {
        while (!data.empty()) {
            const size_t piece = std::min<size_t>(data.size(), 1 << 20);
            long sent =
                ssl ? SSL_write(ssl, data.data(), static_cast<int>(piece)) : send(fd, data.data(), piece, MSG_NOSIGNAL);
            if (sent <= 0) return false;
            data.remove_prefix(static_cast<size_t>(sent));
        }
        return true;
    }
};

HttpsServer::HttpsServer(bool tls) : tls_(tls) {
    // A client that hangs up while we write must not end the test process.
    std::signal(SIGPIPE, SIG_IGN);

    if (tls_) {
        SelfSignedCert cert = MakeSelfSignedCert("localhost");
        SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
        if (!cert.valid() || !ctx || SSL_CTX_use_certificate(ctx, cert.cert.get()) != 1 ||
            SSL_CTX_use_PrivateKey(ctx, cert.key.get()) != 1) {
            if (ctx) SSL_CTX_free(ctx);
            return;
        }
        ssl_ctx_ = ctx;
    }

    listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listen_fd_ < 0) return;
    int yes = 1;
    setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listen_fd_, 64) != 0 ||
        getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        close(listen_fd_);
        listen_fd_ = -1;
        return;
    }
    port_ = ntohs(addr.sin_port);
    accept_thread_ = std::thread([this] { AcceptLoop(); });
}

HttpsServer::~HttpsServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stop_cv_.notify_all();
    if (accept_thread_.joinable()) accept_thread_.join();
    // Wake connection threads blocked in a read or write.
    {
        std::lock_guard lock(mutex_);
        for (auto& connection : connections_) shutdown(connection->fd, SHUT_RDWR);
    }
    for (auto& connection : connections_) {
        if (connection->thread.joinable()) connection->thread.join();
    }
    connections_.clear();
    if (listen_fd_ >= 0) close(listen_fd_);
    if (ssl_ctx_) SSL_CTX_free(static_cast<SSL_CTX*>(ssl_ctx_));
}

std::string HttpsServer::Url(std::string_view path) const {
    return std::string(tls_ ? "https://" : "http://") + HostPort() + std::string(path);
}

std::string HttpsServer::HostPort() const { return "127.0.0.1:" + std::to_string(port_); }

void HttpsServer::Handle(std::string method, std::string path, Handler handler) {
    std::lock_guard lock(mutex_);
    handlers_[{std::move(method), std::move(path)}] = std::move(handler);
}

void HttpsServer::HandleOthers(Handler handler) {
    std::lock_guard lock(mutex_);
    others_ = std::move(handler);
}

std::vector<Request> HttpsServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int HttpsServer::ConnectionCount() const {
    std::lock_guard lock(mutex_);
    return connection_count_;
}

void HttpsServer::ClearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

bool HttpsServer::PauseUnlessStopped(int ms) {
    std::unique_lock lock(mutex_);
    return !stop_cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_.load(); });
}

void HttpsServer::AcceptLoop() {
    while (!stopping_) {
        pollfd pfd{listen_fd_, POLLIN, 0};
        if (poll(&pfd, 1, 50) <= 0) continue;
        sockaddr_in peer{};
        socklen_t len = sizeof peer;
        int fd = accept4(listen_fd_, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_CLOEXEC);
        if (fd < 0) continue;
        int yes = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);

        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        connection->remote_port = ntohs(peer.sin_port);
        Connection* raw = connection.get();
        std::lock_guard lock(mutex_);
        // Finished connections are joined here so that long runs (benchmarks)
        // do not pile up threads.
        std::erase_if(connections_, [](std::unique_ptr<Connection>& c) {
            if (!c->done) return false;
            c->thread.join();
            return true;
        });
        raw->id = ++connection_count_;
        raw->thread = std::thread([this, raw] {
            Serve(*raw);
            // The peer learns at once that the connection is over; the
            // descriptor itself is closed when the connection is reaped.
            shutdown(raw->fd, SHUT_RDWR);
            raw->done = true;
        });
        connections_.push_back(std::move(connection));
    }
}

void HttpsServer::Serve(Connection& connection) {
    if (tls_) {
        connection.ssl = SSL_new(static_cast<SSL_CTX*>(ssl_ctx_));
        if (!connection.ssl || SSL_set_fd(connection.ssl, connection.fd) != 1 || SSL_accept(connection.ssl) != 1) {
            ERR_clear_error();
            return;
        }
    }
    for (;;) {
        size_t head_end;
        while ((head_end = connection.buffer.find("\r\n\r\n")) == std::string::npos) {
            if (connection.buffer.size() > kMaxHeadBytes || !connection.ReadMore()) return;
        }
        Request request;
        request.connection = connection.id;
        request.remote_port = connection.remote_port;
        std::string_view head(connection.buffer.data(), head_end);
        bool first = true;
        while (!head.empty() || first) {
            size_t eol = head.find("\r\n");
            std::string_view line = head.substr(0, eol);
            head = eol == std::string_view::npos ? std::string_view() : head.substr(eol + 2);
            if (first) {
                size_t sp1 = line.find(' ');
                size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
                if (sp2 == std::string_view::npos) return;
                request.method = line.substr(0, sp1);
                request.target = line.substr(sp1 + 1, sp2 - sp1 - 1);
                request.version = line.substr(sp2 + 1);
                request.path = request.target.substr(0, request.target.find('?'));
                first = false;
            } else {
                request.header_lines.emplace_back(line);
            }
        }
        connection.buffer.erase(0, head_end + 4);

        if (EqualsIgnoringCase(request.Header("Expect"), "100-continue") &&
            !connection.WriteAll("HTTP/1.1 100 Continue\r\n\r\n")) {
            return;
        }
        const std::string length_text = request.Header("Content-Length");
        const size_t body_length = length_text.empty() ? 0 : std::strtoull(length_text.c_str(), nullptr, 10);
        while (connection.buffer.size() < body_length) {
            if (!connection.ReadMore()) return;
        }
        request.body = connection.buffer.substr(0, body_length);
        connection.buffer.erase(0, body_length);

        Handler handler;
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
            if (auto it = handlers_.find({request.method, request.path}); it != handlers_.end()) {
                handler = it->second;
            } else if (auto any = handlers_.find({"", request.path}); any != handlers_.end()) {
                handler = any->second;
            } else {
                handler = others_;
            }
        }
        Response response;
        if (handler) {
            handler(request, response);
        } else {
            response.status = 404;
        }
        const bool close_after = response.close || response.claimed_length ||
                                 EqualsIgnoringCase(request.Header("Connection"), "close") ||
                                 request.version == "HTTP/1.0";
        if (!SendResponse(connection, request, std::move(response)) || close_after) return;
    }
}

void HttpsServer::HandleRedirectLoop(const std::string& path) {
    Handle("", path, [path](const Request& request, Response& response) {
        const size_t hop_at = request.target.find("?hop=");
        const long hop =
            hop_at == std::string::npos ? 0 : std::strtol(request.target.c_str() + hop_at + 5, nullptr, 10);
        response.status = 302;
        response.header_lines.push_back("Location: " + path + "?hop=" + std::to_string(hop + 1));
    });
}

namespace {

// The bytes of one response on the wire, the header block and the body one
// after the other, sent up to a given offset at a time.
class WireWriter {
  public:
    WireWriter(std::string_view head, std::string_view body) : head_(head), body_(body) {}

    [[nodiscard]] size_t size() const { return head_.size() + body_.size(); }
    [[nodiscard]] size_t sent() const { return sent_; }

    // Sends everything in front of `end` (at most the whole response) that
    // has not gone yet; false when the connection failed.
    template <typename Write>
    bool SendUpTo(size_t end, Write write) {
        end = std::min(end, size());
        while (sent_ < end) {
            const bool in_head = sent_ < head_.size();
            const std::string_view part = in_head ? head_.substr(sent_) : body_.substr(sent_ - head_.size());
            const size_t count = std::min(part.size(), end - sent_);
            if (!write(part.substr(0, count))) return false;
            sent_ += count;
        }
        return true;
    }

  private:
    std::string_view head_;
    std::string_view body_;
    size_t sent_ = 0;
};

}  // namespace

bool HttpsServer::SendResponse(Connection& connection, const Request& request, Response response) {
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " +
                       (response.reason.empty() ? ReasonPhrase(response.status) : response.reason) + "\r\n";
    for (const std::string& line : response.header_lines) head += line + "\r\n";
    if (response.new_cookies > 0) {
        int first = 0;
        {
            std::lock_guard lock(mutex_);
            first = flood_cookies_sent_;
            flood_cookies_sent_ += response.new_cookies;
        }
        for (int k = first; k < first + response.new_cookies; ++k) {
            head += "Set-Cookie: flood" + std::to_string(k) + "=" + std::to_string(k) + "; path=/\r\n";
        }
    }
    if (response.filler_header_bytes > 0) {
        const std::string name = "X-Filler: ";
        const size_t fill =
            response.filler_header_bytes > name.size() + 2 ? response.filler_header_bytes - name.size() - 2 : 0;
        head += name + std::string(std::max<size_t>(fill, 1), 'x') + "\r\n";
    }
    if (response.add_content_length) {
        head += "Content-Length: " + std::to_string(response.claimed_length.value_or(response.body.size())) + "\r\n";
    }
    head += "\r\n";
    const std::string_view body = request.method == "HEAD" ? std::string_view() : std::string_view(response.body);

    WireWriter wire(head, body);
    auto write = [&](std::string_view data) { return connection.WriteAll(data); };
    if (response.reset_after_bytes) {
        (void)wire.SendUpTo(*response.reset_after_bytes, write);
        // Under the lock: the destructor reads the descriptor to wake this
        // connection, and a closed number may already belong to another.
        std::lock_guard lock(mutex_);
        connection.Reset();
        return false;
    }
    if (response.pause_ms > 0) {
        if (!wire.SendUpTo(response.pause_after_bytes, write) || !PauseUnlessStopped(response.pause_ms)) return false;
    }
    if (response.header_line_interval_ms > 0) {
        // Each line of the block after the status line, the blank line too.
        for (size_t end = head.find("\r\n") + 2; end < head.size(); end = head.find("\r\n", end) + 2) {
            if (!wire.SendUpTo(end, write) || !PauseUnlessStopped(response.header_line_interval_ms)) return false;
        }
    }
    if (response.drip_interval_ms > 0) {
        if (!wire.SendUpTo(head.size(), write)) return false;
        const size_t piece = std::max<size_t>(response.drip_bytes, 1);
        while (wire.sent() < wire.size()) {
            if (!wire.SendUpTo(wire.sent() + piece, write) || !PauseUnlessStopped(response.drip_interval_ms)) {
                return false;
            }
        }
    }
    return wire.SendUpTo(wire.size(), write);
}

}  // namespace qimbra::testing
