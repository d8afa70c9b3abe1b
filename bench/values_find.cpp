// FindText on a large page against std::string_view::find over the same bytes.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <string_view>

#include "values/values.h"

namespace {

constexpr size_t kPageSize = 16u << 20;

// A page as the collection run sees it after conversion: HTML mark-up, English
// words and Chinese characters in code page 936, without the letters q and x
// so that the needles below cannot occur.
const qimbra::Text& Page() {
    static const qimbra::Text page = [] {
        static const char* const kPieces[] = {
            "<li class=\"item\"><a href=\"/photos/",
            "\" title=\"",
            "\">",
            "</a></li>\n",
            "<img src=\"/pic/",
            ".jpeg\" alt=\"",
            " width=\"640\" height=\"480\" />",
            "<div class=\"box\">",
            "</div>\r\n",
            "<span>",
            "</span>",
            " the ",
            " gallery ",
            " photo set ",
            " Beauty ",
            " Update ",
            "&nbsp;",
        };
        std::mt19937 random(7);
        std::string bytes;
        bytes.reserve(kPageSize + 64);
        while (bytes.size() < kPageSize) {
            const uint32_t pick = random() % 4;
            if (pick == 0) {
                bytes += kPieces[random() % std::size(kPieces)];
            } else if (pick == 1) {
                bytes += std::to_string(random() % 100000);
            } else {
                // A run of two-byte characters from the common GB2312 area.
                for (uint32_t n = 2 + random() % 12; n > 0; --n) {
                    bytes.push_back(static_cast<char>(0xB0 + random() % 0x48));
                    bytes.push_back(static_cast<char>(0xA1 + random() % 0x5E));
                }
            }
        }
        bytes.resize(kPageSize);
        return qimbra::Text(bytes);
    }();
    return page;
}

// Absent needles: one of 16 bytes starting with a byte the page is full of,
// one starting with a byte the page lacks (the baseline's best case), and one
// made only of bytes the page is full of, which wears out every rare-byte
// anchor and leaves the search to its fallback (the page's " the " and
// " gallery " never stand one space apart).
const char* const kNeedles[] = {"<div class=\"xq\">", "qimbra-xq-absent", "span> the gallery </span"};

void BM_StringViewFind(benchmark::State& state) {
    const std::string_view page = Page().view();
    const std::string_view needle = kNeedles[state.range(0)];
    for (auto _ : state) benchmark::DoNotOptimize(page.find(needle));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}

void BM_FindText(benchmark::State& state) {
    const qimbra::Text& page = Page();
    const qimbra::Text needle(kNeedles[state.range(0)]);
    const bool ignore_case = state.range(1) != 0;
    if (qimbra::FindText(page, needle, std::nullopt, ignore_case) != -1 ||
        page.view().find(needle.view()) != std::string_view::npos) {
        state.SkipWithError("the needle occurs in the page");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(qimbra::FindText(page, needle, std::nullopt, ignore_case));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.view().size()));
}

}  // namespace

BENCHMARK(BM_StringViewFind)->ArgName("needle")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindText)
    ->ArgNames({"needle", "ignore_case"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
