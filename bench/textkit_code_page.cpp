// Utf8ToGbk over a whole page, as the collection run converts every page.
#include <benchmark/benchmark.h>

#include <string>

#include "textkit/code_page.h"

namespace qimbra {
namespace {

// About 4 MiB of UTF-8, most of it Chinese text.
Text MostlyChinesePage() {
    const std::string paragraph =
        "<p class=\"t\">\xE6\xB5\xB7\xE8\xBE\xB9\xE5\xB0\x8F\xE9\x95\x87\xE7\x9A\x84\xE6\xB8\x85\xE6\x99\xA8"
        "\xE4\xB8\x8E\xE9\xBB\x84\xE6\x98\x8F\xEF\xBC\x8C\xE5\x86\x99\xE7\x9C\x9F\xE9\x9B\x86\xE7\xAC\xAC"
        "\xE4\xB8\x83\xE9\x9B\x86\xE3\x80\x82\xE6\x91\x84\xE5\xBD\xB1\xE5\xB8\x88\xE7\x9A\x84\xE6\x89\x8B"
        "\xE8\xAE\xB0\xE4\xB8\x8E\xE5\x9B\xBE\xE7\x89\x87\xE8\xAF\xB4\xE6\x98\x8E\xE3\x80\x82</p>\n";
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
