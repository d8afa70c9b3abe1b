// FindText, FindTextReverse, ReplaceText and SplitText against the plain
// character walk, which compares the needle at every stop.
#include <string>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "values/tests/reference_walk.h"
#include "values/text_ops.h"

using namespace qimbra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    const bool flag = data.ConsumeBool();
    const Text needle = fuzz::TakeText(data, 16);
    const std::optional<Text> with = fuzz::MaybeText(data, 4);
    const std::optional<int32_t> count =
        data.ConsumeBool() ? std::nullopt : std::optional<int32_t>(data.ConsumeIntegralInRange<int32_t>(-1, 4));
    const std::optional<int32_t> start_hint = data.ConsumeBool() ? std::optional<int32_t>() : std::optional<int32_t>(0);
    const Text text = Text(data.ConsumeRemainingBytesAsString());
    const std::string_view s = text.view();
    const std::string_view n = needle.view();

    // Every start position of a short text, a sample of a long one.
    const int32_t length = text.size();
    const int32_t step = length > 512 ? length / 128 : 1;
    for (int32_t start = -1; start <= length + 1; start += step) {
        const std::optional<int32_t> at = start_hint ? std::optional<int32_t>(start) : std::nullopt;
        QIMBRA_REQUIRE(FindText(text, needle, at, flag) == reference::FindText(s, n, at, flag));
        QIMBRA_REQUIRE(FindTextReverse(text, needle, at, flag) == reference::FindTextReverse(s, n, at, flag));
        const std::optional<std::string> plain_with = with ? std::optional<std::string>(with->bytes()) : std::nullopt;
        QIMBRA_REQUIRE(ReplaceText(text, needle, with, at, count, flag).bytes() ==
                       reference::ReplaceText(s, n, plain_with, at, count, flag));
        if (!at) break;
    }
    std::vector<std::string> pieces;
    for (const Text& piece : SplitText(text, needle, count)) pieces.push_back(piece.bytes());
    QIMBRA_REQUIRE(pieces == reference::SplitText(s, std::string(n), count));
    return 0;
}
