// The slicing routines on fuzzed texts, markers and options: TextBetweenAll
// against the plain loop, ReplaceMany against its five ReplaceText steps, and
// what TextBetween and TextLeftOf give is always a piece of the text.
#include "textkit/text_slicing.h"

#include <string>

#include "fuzz/fuzz_checks.h"
#include "textkit/tests/plain_slicing.h"
#include "values/text_ops.h"

using namespace qimbra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    const Text first = fuzz::TakeText(data, 8);
    const Text second = fuzz::TakeText(data, 8);
    const std::optional<bool> fold = fuzz::MaybeBool(data);
    const std::optional<int32_t> limit =
        data.ConsumeBool() ? std::optional<int32_t>(data.ConsumeIntegralInRange<int32_t>(-1, 64)) : std::nullopt;
    const std::optional<Text> prefix = fuzz::MaybeText(data, 4);
    const std::optional<Text> suffix = fuzz::MaybeText(data, 4);
    const std::optional<bool> opening = fuzz::MaybeBool(data);
    const std::optional<bool> closing = fuzz::MaybeBool(data);
    const uint8_t position_choice = data.ConsumeIntegral<uint8_t>();
    const Text text(data.ConsumeRemainingBytesAsString());
    FuzzedDataProvider positions(&position_choice, 1);
    const std::optional<int32_t> from = fuzz::MaybePosition(positions, text);
    const std::string_view s = text.view();

    const Text between = TextBetween(text, first, second, from, fold);
    QIMBRA_REQUIRE(between.empty() || s.find(between.view()) != std::string_view::npos);
    const Text left = TextLeftOf(text, first, from, fold);
    QIMBRA_REQUIRE(s.starts_with(left.view()));

    // Without a limit the items may add up to the square of the text: keep
    // such texts short.
    if (limit.value_or(0) != 0 || s.size() <= 1024) {
        TextArray fast;
        TextArray plain;
        const int32_t count =
            TextBetweenAll(text, first, second, fast, fold, limit, prefix, suffix, opening, closing, from);
        QIMBRA_REQUIRE(count == reference::TextBetweenAll(text, first, second, plain, fold, limit, prefix, suffix,
                                                          opening, closing, from));
        QIMBRA_REQUIRE(fast == plain);
    }

    const Text replaced = ReplaceMany(text, std::nullopt, from, fold, first, second, prefix, suffix, suffix, prefix);
    int32_t start = from.value_or(1);
    if (start == 0) start = 1;
    const bool exact = fold.value_or(false);
    Text expected = ReplaceText(text, first, second, start, std::nullopt, exact);
    const std::optional<Text>* const more[][2] = {{&prefix, &suffix}, {&suffix, &prefix}};
    for (const auto& pair : more) {
        if (*pair[0] && !(*pair[0])->empty()) {
            expected = ReplaceText(expected, **pair[0], pair[1]->value_or(Text()), start, std::nullopt, exact);
        }
    }
    QIMBRA_REQUIRE(replaced == expected);
    return 0;
}
