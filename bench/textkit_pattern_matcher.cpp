// The collection run's entry-list pass: one Create with the entry pattern over
// the archive's entry list, then both groups of every match.
#include <benchmark/benchmark.h>

#include <string>

#include "textkit/pattern_matcher.h"
#include "values/literal.h"

namespace qimbra {
namespace {

Text EntryList(int64_t entries) {
    const std::string title = Cp936("集：海边小镇的清晨与黄昏写真").bytes();
    const std::string day = Cp936("日").bytes();
    std::string page;
    page.reserve(static_cast<size_t>(entries) * 120);
    for (int64_t i = 0; i < entries; ++i) {
        page += "<li><span>2024-03-";
        page += std::to_string(i % 28 + 1);
        page += day;
        page += "</span><a href=photo/";
        page += std::to_string(100000 + i);
        page += ".html>";
        page += std::to_string(i);
        page += title;
        page += "</a></li>\n";
    }
    return Text(page);
}

void BM_EntryPatternCreateAndRead(benchmark::State& state) {
    const Text pattern("href=(.*?)>(.*?)</a></");
    const Text list = EntryList(state.range(0));
    for (auto _ : state) {
        PatternMatcher matcher;
        matcher.Create(pattern, list);
        const int32_t count = matcher.MatchCount();
        size_t bytes = 0;
        for (int32_t i = 1; i <= count; ++i) {
            bytes += matcher.SubMatchText(i, 1).bytes().size();
            bytes += matcher.SubMatchText(i, 2).bytes().size();
        }
        if (count != state.range(0)) state.SkipWithError("wrong match count");
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    // Seconds per entry (CPU time), shown with an SI prefix.
    state.counters["time_per_entry"] =
        benchmark::Counter(static_cast<double>(state.range(0)),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_EntryPatternCreateAndRead)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qimbra

BENCHMARK_MAIN();
