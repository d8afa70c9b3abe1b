// WebRequest's time bounds at their real figures, over loopback HTTPS: how
// long a server that drips a byte or a header line every 5 s holds an
// exchange, whether a 20 MiB body at 100 KiB/s still arrives, and how soon a
// cancel from another thread ends a wait on a silent server. A timed program,
// not a unit test: the slow transfer alone takes about 200 s.
//
//   qimbra_bench_web_pacing [drip] [slow] [cancel]   (none: all three)
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "testing/https_server.h"
#include "web/web.h"

namespace {

using Clock = std::chrono::steady_clock;
using qimbra::testing::HttpsServer;
using qimbra::testing::Request;
using qimbra::testing::Response;

const char* FailureName(qimbra::WebFailure failure) {
    switch (failure) {
        case qimbra::WebFailure::kNone:
            return "none";
        case qimbra::WebFailure::kTimeOut:
            return "time-out";
        case qimbra::WebFailure::kConnection:
            return "connection";
        case qimbra::WebFailure::kTooLarge:
            return "too large";
        case qimbra::WebFailure::kRefused:
            return "refused";
        case qimbra::WebFailure::kCancelled:
            return "cancelled";
    }
    return "?";
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void Fetch(HttpsServer& server, const char* what, const std::string& path) {
    qimbra::WebFailure failure = qimbra::WebFailure::kNone;
    int32_t status = 0;
    const Clock::time_point start = Clock::now();
    const qimbra::Bytes body =
        qimbra::WebRequest(qimbra::Text(server.Url(path)), {.status_code = &status, .failure = &failure});
    const double seconds = Seconds(Clock::now() - start);
    std::printf("%-34s %8.1f s  status %3d  failure %-10s  body %9d bytes", what, seconds, status, FailureName(failure),
                body.size());
    if (!body.empty()) std::printf("  %.1f KiB/s", body.size() / 1024.0 / seconds);
    std::printf("\n");
    std::fflush(stdout);
}

void Drips(HttpsServer& server) {
    server.Handle("GET", "/drip-body", [](const Request&, Response& response) {
        response.body = std::string(100, 'd');
        response.drip_bytes = 1;
        response.drip_interval_ms = 5000;
    });
    server.Handle("GET", "/drip-lines", [](const Request&, Response& response) {
        for (int i = 0; i < 40; ++i) response.header_lines.push_back("X-Line-" + std::to_string(i) + ": slow");
        response.header_line_interval_ms = 5000;
    });
    server.Handle("GET", "/drip-chunks", [](const Request&, Response& response) {
        response.add_content_length = false;
        response.header_lines = {"Transfer-Encoding: chunked"};
        for (int i = 0; i < 40; ++i) response.body += "1\r\nx\r\n";
        response.body += "0\r\n\r\n";
        response.drip_bytes = 6;
        response.drip_interval_ms = 5000;
    });
    Fetch(server, "1 body byte every 5 s", "/drip-body");
    Fetch(server, "1 header line every 5 s", "/drip-lines");
    Fetch(server, "1 chunk of 1 byte every 5 s", "/drip-chunks");
}

void SlowTransfer(HttpsServer& server) {
    server.Handle("GET", "/slow", [](const Request&, Response& response) {
        response.body = std::string(20u << 20, 's');
        response.drip_bytes = 10 * 1024;
        response.drip_interval_ms = 100;
    });
    Fetch(server, "20 MiB at 100 KiB/s", "/slow");
}

void CancelLatency(HttpsServer& server) {
    server.Handle("GET", "/silent", [](const Request&, Response& response) {
        response.body = "never";
        response.pause_ms = 10000;
    });
    std::vector<double> latencies_ms;
    for (int i = 0; i < 20; ++i) {
        std::atomic<bool> cancel{false};
        Clock::time_point set_at;
        std::thread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300 + 7 * i));
            set_at = Clock::now();
            cancel = true;
        });
        qimbra::WebFailure failure = qimbra::WebFailure::kNone;
        (void)qimbra::WebRequest(qimbra::Text(server.Url("/silent")),
                                 {.failure = &failure, .timeout_seconds = 30, .cancel = &cancel});
        const Clock::time_point returned = Clock::now();
        canceller.join();
        if (failure != qimbra::WebFailure::kCancelled) std::printf("cancel %d: failure %s\n", i, FailureName(failure));
        latencies_ms.push_back(std::chrono::duration<double, std::milli>(returned - set_at).count());
    }
    std::sort(latencies_ms.begin(), latencies_ms.end());
    std::printf("cancel on a silent server (20x)   median %.1f ms, max %.1f ms\n", latencies_ms[10],
                latencies_ms.back());
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> wanted(argv + 1, argv + argc);
    auto want = [&](const char* name) {
        return wanted.empty() || std::find(wanted.begin(), wanted.end(), name) != wanted.end();
    };
    HttpsServer server;
    if (server.port() == 0) return 1;
    if (want("cancel")) CancelLatency(server);
    if (want("drip")) Drips(server);
    if (want("slow")) SlowTransfer(server);
    return 0;
}
