// MergeCookies on a cookie flood: a jar of n cookies merged with a response
// that sets n / 5 cookies, half of them new names and half overwriting.
#include <benchmark/benchmark.h>

#include <string>

#include "values/text.h"
#include "web/cookie_merge.h"
#include "web/tests/cookie_merge_reference.h"

namespace qimbra {
namespace {

Text Jar(int count, int first_name, const char* value) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) text += "; ";
        text += "cookie" + std::to_string(first_name + i) + "=" + value + std::to_string(i);
    }
    return Text(text);
}

void BM_MergeCookiesFlood(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const Text old_jar = Jar(count, 0, "old");
    // From the middle of the old names on: half overwrite, half are new.
    const Text response = Jar(count / 5, count - count / 10, "new");
    size_t merged_bytes = 0;
    for (auto _ : state) {
        Text old_cookies = old_jar;
        Text new_cookies = response;
        const Text merged = MergeCookies(old_cookies, new_cookies);
        merged_bytes = merged.view().size();
        benchmark::DoNotOptimize(merged);
    }
    state.counters["cookies"] = count;
    state.counters["merged_bytes"] = static_cast<double>(merged_bytes);
}
BENCHMARK(BM_MergeCookiesFlood)->Arg(1000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// The same floods through the step-by-step merge, which searches the growing
// list for every name: for comparison, on smaller jars.
void BM_MergeCookiesFloodStepByStep(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const Text old_jar = Jar(count, 0, "old");
    const Text response = Jar(count / 5, count - count / 10, "new");
    for (auto _ : state) {
        Text old_cookies = old_jar;
        Text new_cookies = response;
        benchmark::DoNotOptimize(reference::MergeCookies(old_cookies, new_cookies));
    }
    state.counters["cookies"] = count;
}
BENCHMARK(BM_MergeCookiesFloodStepByStep)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qimbra

BENCHMARK_MAIN();
