// How far Pause(500) overshoots its half second on this machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "textkit/pause.h"

namespace qimbra {
namespace {

void BM_Pause500Overshoot(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    constexpr int kPauses = 20;
    for (auto _ : state) {
        std::vector<double> overshoot_ms;
        for (int i = 0; i < kPauses; ++i) {
            const auto start = Clock::now();
            Pause(500);
            const std::chrono::duration<double, std::milli> took = Clock::now() - start;
            overshoot_ms.push_back(took.count() - 500.0);
        }
        std::sort(overshoot_ms.begin(), overshoot_ms.end());
        state.counters["median_overshoot_ms"] = (overshoot_ms[kPauses / 2 - 1] + overshoot_ms[kPauses / 2]) / 2;
        state.counters["max_overshoot_ms"] = overshoot_ms.back();
        state.counters["min_overshoot_ms"] = overshoot_ms.front();
    }
}
BENCHMARK(BM_Pause500Overshoot)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qimbra

BENCHMARK_MAIN();
