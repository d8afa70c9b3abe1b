// TextBetweenAll collecting an entry page's image addresses.
#include <benchmark/benchmark.h>

#include <string>

#include "textkit/text_slicing.h"
#include "values/literal.h"
#include "values/text_array.h"

namespace qimbra {
namespace {

// About 1 MiB: 1,000 blocks of Chinese captions and markup, each with one
// image address.
Text EntryPage() {
    const std::string caption = Cp936("海边小镇的清晨与黄昏，摄影师的手记与图片说明。").bytes();
    std::string page;
    page.reserve(1100 * 1000);
    for (int i = 0; i < 1000; ++i) {
        page += "<div class=\"photo\"><p>";
        while (page.size() < static_cast<size_t>(i + 1) * 1000) page += caption;
        page += "</p><img src=\"https://img.example.test/image/2024/03/";
        page += std::to_string(100000 + i);
        page += ".jpeg\" alt=\"\"></div>\n";
    }
    return Text(page);
}

void BM_TextBetweenAllImageAddresses(benchmark::State& state) {
    const Text page = EntryPage();
    const Text start("https://img.example.test/image/");
    const Text end(".jpeg");
    TextArray items;
    for (auto _ : state) {
        const int32_t count =
            TextBetweenAll(page, start, end, items, std::nullopt, std::nullopt, std::nullopt, std::nullopt, true, true);
        if (count != 1000) state.SkipWithError("wrong address count");
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(state.iterations() * page.size());
    state.counters["page_bytes"] = page.size();
}
BENCHMARK(BM_TextBetweenAllImageAddresses)->Unit(benchmark::kMicrosecond);

// A hostile entry page: the image-address start repeated over and over in
// front of a single ".jpeg". Every start marker opens a piece that runs to
// the end of the page; with the run's length limit for image addresses the
// call must stay linear in the page.
Text OverlappingPage(size_t bytes) {
    const std::string start = "https://img.example.test/image/";
    std::string page;
    page.reserve(bytes + 8);
    while (page.size() + start.size() < bytes) page += start;
    page += ".jpeg";
    return Text(page);
}

void BM_TextBetweenAllOverlappingPage(benchmark::State& state) {
    const Text page = OverlappingPage(static_cast<size_t>(state.range(0)) * 1024);
    const Text start("https://img.example.test/image/");
    const Text end(".jpeg");
    TextArray items;
    for (auto _ : state) {
        const int32_t count =
            TextBetweenAll(page, start, end, items, std::nullopt, 2048, std::nullopt, std::nullopt, true, true);
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(state.iterations() * page.size());
    state.counters["items"] = ArraySize(items);
}
BENCHMARK(BM_TextBetweenAllOverlappingPage)->Arg(100)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

// The same in a page of nothing but lead bytes, with a one-byte start marker:
// the searches behind consecutive start markers walk the page in two
// different pairings of its bytes.
void BM_TextBetweenAllLeadByteRun(benchmark::State& state) {
    const Text page(std::string(static_cast<size_t>(state.range(0)) * 1024, '\xB0') + "EE");
    const Text start("\xB0");
    const Text end("E");
    TextArray items;
    for (auto _ : state) {
        const int32_t count = TextBetweenAll(page, start, end, items, std::nullopt, 2048);
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(state.iterations() * page.size());
    state.counters["items"] = ArraySize(items);
}
BENCHMARK(BM_TextBetweenAllLeadByteRun)->Arg(100)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qimbra

BENCHMARK_MAIN();
