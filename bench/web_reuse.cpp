// 200 sequential GETs of a 10 KiB resource over loopback HTTPS: WebRequest on
// the thread's own handle (connections kept open) against a fresh request
// object per request (a new connection and TLS handshake each time).
#include <benchmark/benchmark.h>

#include <string>

#include "testing/https_server.h"
#include "web/web.h"

namespace {

constexpr int kRequests = 200;

qimbra::testing::HttpsServer& Server() {
    static auto* server = [] {
        auto* s = new qimbra::testing::HttpsServer();
        s->HandleOthers([](const qimbra::testing::Request&, qimbra::testing::Response& response) {
            response.body = std::string(10 * 1024, 'x');
        });
        return s;
    }();
    return *server;
}

void BM_ThreadHandleReused(benchmark::State& state) {
    const qimbra::Text url(Server().Url("/10k"));
    for (auto _ : state) {
        for (int i = 0; i < kRequests; ++i) {
            qimbra::Bytes body = qimbra::WebRequest(url);
            if (body.size() != 10 * 1024) state.SkipWithError("short body");
            benchmark::DoNotOptimize(body);
        }
    }
    state.counters["connections"] = Server().ConnectionCount();
}

void BM_FreshHandlePerRequest(benchmark::State& state) {
    const qimbra::Text url(Server().Url("/10k"));
    for (auto _ : state) {
        for (int i = 0; i < kRequests; ++i) {
            qimbra::WebRequestObject fresh;
            qimbra::Bytes body = qimbra::WebRequest(url, {.request_object = &fresh});
            if (body.size() != 10 * 1024) state.SkipWithError("short body");
            benchmark::DoNotOptimize(body);
        }
    }
    state.counters["connections"] = Server().ConnectionCount();
}

BENCHMARK(BM_ThreadHandleReused)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FreshHandlePerRequest)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
