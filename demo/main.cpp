// qimbra_demo_gallery [page_host image_host]
//
// Serves a small generated gallery over HTTPS on loopback, in the shape the
// collector expects: the archive page and the entry pages on the page host,
// the pictures on the image host. Hosts default to the demo build's
// 127.0.0.1:28443 and localhost:28444. Runs until it is stopped.
#include <httplib.h>

#include <QGuiApplication>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "demo/gallery_site.h"
#include "demo/pictures.h"
#include "testing/self_signed_cert.h"

namespace {

struct Listener {
    std::string host;  // as the addresses write it, e.g. "localhost:28444"
    std::string bind_address;
    int port = 0;
};

// Splits "host:port" and picks the loopback address to listen on; refuses
// anything that is not loopback, since the demo never serves other machines.
std::optional<Listener> ParseListener(const std::string& host) {
    const size_t colon = host.rfind(':');
    if (colon == std::string::npos || colon + 1 == host.size()) return std::nullopt;
    std::string name = host.substr(0, colon);
    const int port = std::atoi(host.c_str() + colon + 1);
    if (port <= 0 || port > 65535) return std::nullopt;
    if (name.size() > 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
    Listener listener{host, "", port};
    if (name == "localhost" || name.rfind("127.", 0) == 0) {
        listener.bind_address = name == "localhost" ? "127.0.0.1" : name;
    } else if (name == "::1") {
        listener.bind_address = "::1";
    } else {
        return std::nullopt;
    }
    return listener;
}

std::mutex log_mutex;

void Log(const char* host_kind, const httplib::Request& request, int status) {
    std::lock_guard lock(log_mutex);
    const std::string cookie = request.get_header_value("Cookie");
    std::printf("[%s] %s %s -> %d%s%s\n", host_kind, request.method.c_str(), request.path.c_str(), status,
                cookie.empty() ? "" : "  cookie: ", cookie.c_str());
    std::fflush(stdout);
}

void ServePages(httplib::Server& server, const std::string& image_host) {
    server.Get("/archives.html", [](const httplib::Request& request, httplib::Response& response) {
        static std::atomic<int> visitor{1000};
        response.set_header("Set-Cookie", "demo_visitor=" + std::to_string(++visitor) + "; Path=/; HttpOnly");
        response.set_header("Set-Cookie", "demo_theme=ink; Path=/; Max-Age=86400");
        response.set_content(qimbra::demo::ArchivePage(), "text/html; charset=utf-8");
        Log("page ", request, response.status = 200);
    });
    server.Get(R"(/posts/.*)", [image_host](const httplib::Request& request, httplib::Response& response) {
        const std::optional<int> number = qimbra::demo::EntryNumberOfPath(request.path);
        if (!number) {
            response.status = 404;
        } else {
            response.set_header("Set-Cookie", "demo_last_post=" + std::to_string(*number) + "; Path=/");
            response.set_content(qimbra::demo::EntryPage(*number, image_host), "text/html; charset=utf-8");
            response.status = 200;
        }
        Log("page ", request, response.status);
    });
}

void ServePictures(httplib::Server& server, const std::map<std::string, std::string>& pictures) {
    server.Get(R"(/image/.*)", [&pictures](const httplib::Request& request, httplib::Response& response) {
        const auto found = pictures.find(request.path);
        if (found == pictures.end()) {
            response.status = 404;
        } else {
            response.set_content(found->second, "image/jpeg");
            response.status = 200;
        }
        Log("image", request, response.status);
    });
}

}  // namespace

int main(int argc, char** argv) {
    const std::string page_host = argc > 2 ? argv[1] : "127.0.0.1:28443";
    const std::string image_host = argc > 2 ? argv[2] : "localhost:28444";
    const std::optional<Listener> page_listener = ParseListener(page_host);
    const std::optional<Listener> image_listener = ParseListener(image_host);
    if (argc == 2 || argc > 3 || !page_listener || !image_listener) {
        std::fprintf(stderr, "usage: %s [page_host:port image_host:port]  (loopback hosts only)\n", argv[0]);
        return 2;
    }

    // Pictures are painted without a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const std::map<std::string, std::string> pictures = qimbra::demo::PaintPictures();

    const qimbra::testing::SelfSignedCert credentials = qimbra::testing::MakeSelfSignedCert();
    if (!credentials.valid()) {
        std::fprintf(stderr, "demo gallery: could not make a certificate\n");
        return 1;
    }
    httplib::SSLServer page_server(credentials.cert.get(), credentials.key.get());
    httplib::SSLServer image_server(credentials.cert.get(), credentials.key.get());
    // The collector keeps its connection; don't cut it every few requests.
    for (httplib::Server* server :
         {static_cast<httplib::Server*>(&page_server), static_cast<httplib::Server*>(&image_server)}) {
        server->set_keep_alive_max_count(100000);
        server->set_keep_alive_timeout(30);
    }
    ServePages(page_server, image_host);
    ServePictures(image_server, pictures);

    if (!page_server.bind_to_port(page_listener->bind_address, page_listener->port) ||
        !image_server.bind_to_port(image_listener->bind_address, image_listener->port)) {
        std::fprintf(stderr, "demo gallery: cannot listen on %s and %s (ports in use?)\n", page_host.c_str(),
                     image_host.c_str());
        return 1;
    }
    std::printf("demo gallery: archive at https://%s/archives.html, pictures on https://%s/image/ (%zu pictures)\n",
                page_host.c_str(), image_host.c_str(), pictures.size());
    std::fflush(stdout);

    std::thread images([&image_server] { image_server.listen_after_bind(); });
    page_server.listen_after_bind();
    image_server.stop();
    images.join();
    return 0;
}
