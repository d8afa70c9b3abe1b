// Peak memory for one 64 MiB archive page, fetched over loopback HTTPS and
// turned into its code page 936 text as the run does, against the page taken
// the old way (the body copied into a Text, then converted whole through
// UTF-16), and the run's next steps over it (the entry list cut out, the
// entry pattern matched over it, the list either handed to the matcher to
// keep or still held by the caller as well). The page is an archive of the gallery's shape:
// mostly ASCII markup, where UTF-16 doubles the size, with Chinese titles.
//
// The server runs in a child process and each way of fetching in a child of
// its own, so every peak (VmHWM, the resident high-water mark) holds one
// fetch and nothing of the server. The figure reported is the growth of the
// peak over the fetching process's state just before the fetch.
//
//   qimbra_bench_page_memory [MiB]   (default 64)
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>

#include "platform/encoding.h"
#include "testing/https_server.h"
#include "textkit/textkit.h"
#include "values/values.h"
#include "web/web.h"

namespace {

using Clock = std::chrono::steady_clock;

// The resident high-water mark of this process in KiB.
long PeakKib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// An archive page of the gallery's shape, its entry list filling `bytes`.
std::string Page(size_t bytes) {
    std::string page =
        "<html><body><h1>\xE5\xBD\x92\xE6\xA1\xA3</h1><a class=toggle href=#>"
        "\xE5\x85\xA8\xE9\x83\xA8\xE5\xB1\x95\xE5\xBC\x80/\xE6\x94\xB6\xE7\xBC\xA9</a>\n<ul>\n";
    const std::string end = "</ul>\n<div id=post-action class=actions></div></body></html>\n";
    for (int i = 0; page.size() + end.size() < bytes; ++i) {
        page += "<li><a href=p/" + std::to_string(i) + ".html title=\"Spring garden in the old town\">";
        page += i % 4 == 0 ? "\xE6\x98\xA5\xE6\x97\xA5\xE8\x8A\xB1\xE5\x9B\xAD" : "Spring garden";
        page += "</a></li>\n";
    }
    return page + end;
}

// How the archive page's steps after the fetch run.
enum class Steps {
    kNone,          // the fetch only
    kListCopied,    // entry list and entry pattern, the caller keeping the list
    kListHandedOn,  // entry list and entry pattern, the list moved into the matcher
};

// What a run does with the archive page after fetching it: the entry list
// cut out in place of the page, and the entry pattern matched over it. The
// list's size goes to `list_bytes`.
int32_t EntryCount(qimbra::Text& page, Steps steps, int32_t& list_bytes) {
    page = qimbra::TextBetween(page, qimbra::Text("\xC8\xAB\xB2\xBF\xD5\xB9\xBF\xAA/\xCA\xD5\xCB\xF5"),
                               qimbra::Text("<div id=post-action clas"));
    list_bytes = page.size();
    const qimbra::Text pattern("href=(.*?)>(.*?)</a></");
    qimbra::PatternMatcher matcher;
    if (steps == Steps::kListHandedOn) {
        matcher.Create(pattern, std::move(page));
    } else {
        matcher.Create(pattern, page);
    }
    return matcher.MatchCount();
}

// In a child process: fetches `url` one way and prints the figures.
[[noreturn]] void Measure(const std::string& url, const char* way, bool piecewise, Steps steps, size_t page_bytes) {
    // Connections, TLS and the converters are set up by a first small fetch.
    (void)qimbra::WebRequest(qimbra::Text(url + "?warm"));
    (void)qimbra::Utf8ToGbk(qimbra::Text("\xE6\x98\xA5"));
    const long before = PeakKib();
    const Clock::time_point start = Clock::now();
    qimbra::Text text;
    if (piecewise) {
        text = qimbra::Utf8BodyToGbk(qimbra::WebRequest(qimbra::Text(url)));
    } else {
        const qimbra::Text utf8 = qimbra::ToText(qimbra::WebRequest(qimbra::Text(url)));
        text = qimbra::Text(qimbra::platform::FromUtf16(
            qimbra::platform::kCodePageGbk, qimbra::platform::ToUtf16(qimbra::platform::kCodePageUtf8, utf8.view())));
    }
    int32_t text_bytes = text.size();
    const int32_t entries = steps == Steps::kNone ? 0 : EntryCount(text, steps, text_bytes);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long growth = PeakKib() - before;
    std::printf("%-50s peak +%7.1f MiB = %.2f x the body   %.2f s   text %d bytes", way, growth / 1024.0,
                growth * 1024.0 / static_cast<double>(page_bytes), seconds, text_bytes);
    if (steps != Steps::kNone) std::printf(", %d entries", entries);
    std::printf("\n");
    std::fflush(stdout);
    std::_Exit(0);
}

}  // namespace

int main(int argc, char** argv) {
    const size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    const size_t page_bytes = mib << 20;

    int ports[2];
    if (pipe(ports) != 0) return 1;
    const pid_t server_pid = fork();
    if (server_pid == 0) {
        close(ports[0]);
        const std::string page = Page(page_bytes);
        qimbra::testing::HttpsServer server;
        server.HandleOthers([&](const qimbra::testing::Request& request, qimbra::testing::Response& response) {
            response.body = request.target.ends_with("?warm") ? std::string("warm") : page;
        });
        const int port = server.port();
        (void)!write(ports[1], &port, sizeof port);
        pause();  // until the parent ends it
        std::_Exit(0);
    }
    close(ports[1]);
    int port = 0;
    if (read(ports[0], &port, sizeof port) != sizeof port || port == 0) return 1;
    const std::string url = "https://127.0.0.1:" + std::to_string(port) + "/archives.html";

    std::printf("page of %zu MiB\n", mib);
    std::fflush(stdout);
    const struct {
        const char* way;
        bool piecewise;
        Steps steps;
    } kWays[] = {
        {"WebRequest + Utf8BodyToGbk (the run's way)", true, Steps::kNone},
        {"WebRequest + ToText + whole UTF-16 round", false, Steps::kNone},
        {"the run's way, entry list, pattern (list kept)", true, Steps::kListCopied},
        {"the run's way, entry list, pattern (list moved in)", true, Steps::kListHandedOn},
    };
    for (const auto& way : kWays) {
        const pid_t pid = fork();
        if (pid == 0) Measure(url, way.way, way.piecewise, way.steps, page_bytes);
        int status = 0;
        waitpid(pid, &status, 0);
    }
    kill(server_pid, SIGTERM);
    waitpid(server_pid, nullptr, 0);
    return 0;
}
