// Utf8ToGbk over a whole page, as the collection run converts every page.
#include <benchmark/benchmark.h>

#include <string>

#include "textkit/code_page.h"

namespace qimbra {
namespace {

// About 4 MiB of UTF-8, most of it Chinese text.
Text MostlyChinesePage() {
    const std::string paragraph = "<p class=\"t\">海边小镇的清晨与黄昏，写真集第七集。摄影师的手记与图片说明。</p>\n";
    std::string page;
    page.reserve(4 * 1024 * 1024 + paragraph.size());
    while (page.size() < 4 * 1024 * 1024) page += paragraph;
    return Text(page);
}

void BM_Utf8ToGbk(benchmark::State& state) {
    const Text page = MostlyChinesePage();
    for (auto _ : state) {
        Text converted = Utf8ToGbk(page);
        benchmark::DoNotOptimize(converted);
    }
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(BM_Utf8ToGbk)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qimbra

BENCHMARK_MAIN();
