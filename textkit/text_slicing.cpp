#include "textkit/text_slicing.h"

#include "textkit/quote_token.h"
#include "values/conversions.h"
#include "values/text_ops.h"
#include "values/value_ops.h"

namespace qimbra {

Text TextBetween(const Text& text, const Text& start_marker, const Text& end_marker,
                 std::optional<int32_t> start_position, std::optional<bool> ignore_case) {
    const Text start = ExpandQuoteToken(start_marker);
    const Text end = ExpandQuoteToken(end_marker);
    const bool fold = ignore_case.value_or(false);
    const int32_t found = FindText(text, start, start_position.value_or(0), fold);
    if (found < 0) return Text();
    const int32_t piece_start = found + TextLength(start);
    const int32_t piece_end = FindText(text, end, piece_start, fold);
    if (piece_end < 0) return Text();
    return TextMid(text, piece_start, piece_end - piece_start);
}

Text TextLeftOf(const Text& text, const Text& separator, std::optional<int32_t> start_position,
                std::optional<bool> ignore_case) {
    const bool fold = ignore_case.value_or(false);
    const int32_t start = start_position.value_or(0);
    int32_t found = -1;
    if (start < 0) {
        // -1 searches the whole text; -n (n >= 2) leaves the last n bytes out.
        int64_t skipped = -static_cast<int64_t>(start);
        if (skipped == 1) skipped = 0;
        const int64_t before = static_cast<int64_t>(TextLength(text)) - skipped + 1;
        if (before > 1) found = FindTextReverse(text, separator, static_cast<int32_t>(before), fold);
    } else {
        found = FindText(text, separator, start == 0 ? 1 : start, fold);
    }
    if (found < 0) return Text();
    return TextLeft(text, found - 1);
}

int32_t TextBetweenAll(const Text& text, const Text& start_marker, const Text& end_marker, TextArray& items,
                       std::optional<bool> ignore_case, std::optional<int32_t> max_length,
                       const std::optional<Text>& prefix, const std::optional<Text>& suffix,
                       std::optional<bool> include_start_marker, std::optional<bool> include_end_marker,
                       std::optional<int32_t> start_position) {
    ClearArray(items);
    // An empty start marker is found at once, everywhere: the search would
    // never move on.
    if (start_marker.empty()) return 0;

    const bool fold = ignore_case.value_or(false);
    const int32_t limit = max_length.value_or(0);
    const Text no_text;
    const Text& before = prefix ? *prefix : no_text;
    const Text& behind = suffix ? *suffix : no_text;
    const Text& opening = include_start_marker.value_or(false) ? start_marker : no_text;
    const Text& closing = include_end_marker.value_or(false) ? end_marker : no_text;

    int32_t from = start_position.value_or(0);
    while (true) {
        const int32_t found = FindText(text, start_marker, from, fold);
        if (found < 0) break;
        from = found + TextLength(start_marker);
        const int32_t piece_end = FindText(text, end_marker, from, fold);
        if (piece_end < 0) break;

        const Text item = ConcatText(opening, before, TextMid(text, from, piece_end - from), behind, closing);
        if (limit == 0 || TextLength(item) < limit) AppendText(items, item);

        PumpEvents();
        PumpEvents();
        PumpEvents();
    }
    return ArraySize(items);
}

Text ReplaceMany(const Text& text, std::optional<int32_t> count, std::optional<int32_t> start_position,
                 std::optional<bool> case_sensitive, const Text& find1, const Text& replacement1,
                 const std::optional<Text>& find2, const std::optional<Text>& replacement2,
                 const std::optional<Text>& find3, const std::optional<Text>& replacement3,
                 const std::optional<Text>& find4, const std::optional<Text>& replacement4,
                 const std::optional<Text>& find5, const std::optional<Text>& replacement5) {
    int32_t start = start_position.value_or(1);
    if (start == 0) start = 1;
    const bool exact = case_sensitive.value_or(false);
    const Text no_text;

    Text result = ReplaceText(text, find1, replacement1, start, count, exact);
    const std::optional<Text>* const more[][2] = {
        {&find2, &replacement2}, {&find3, &replacement3}, {&find4, &replacement4}, {&find5, &replacement5}};
    for (const auto& pair : more) {
        const Text& find = *pair[0] ? **pair[0] : no_text;
        if (find.empty()) continue;  // changes nothing
        result = ReplaceText(result, find, pair[1]->value_or(no_text), start, count, exact);
    }
    return result;
}

}  // namespace qimbra
