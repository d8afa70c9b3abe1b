// TextBetweenAll written as the plain loop it stands for, step by step: every
// end marker searched afresh from behind its start marker, every item built
// before its length is tested. The fast routine must agree with it.
#pragma once

#include <optional>

#include "values/conversions.h"
#include "values/text.h"
#include "values/text_array.h"
#include "values/text_ops.h"
#include "values/value_ops.h"

namespace qimbra::reference {

inline int32_t TextBetweenAll(const Text& text, const Text& start_marker, const Text& end_marker, TextArray& items,
                              std::optional<bool> ignore_case, std::optional<int32_t> max_length,
                              const std::optional<Text>& prefix, const std::optional<Text>& suffix,
                              std::optional<bool> include_start_marker, std::optional<bool> include_end_marker,
                              std::optional<int32_t> start_position) {
    ClearArray(items);
    if (start_marker.empty()) return 0;
    const bool fold = ignore_case.value_or(false);
    const int32_t limit = max_length.value_or(0);
    int32_t e = start_position.value_or(0);
    while (true) {
        const int32_t found = FindText(text, start_marker, e, fold);
        if (found < 0) break;
        e = found + TextLength(start_marker);
        const int32_t h = FindText(text, end_marker, e, fold);
        if (h < 0) break;
        Text item = ConcatText(prefix.value_or(Text()), TextMid(text, e, h - e), suffix.value_or(Text()));
        if (include_start_marker.value_or(false)) item = ConcatText(start_marker, item);
        if (include_end_marker.value_or(false)) item = ConcatText(item, end_marker);
        if (limit == 0 || TextLength(item) < limit) AppendText(items, item);
    }
    return ArraySize(items);
}

}  // namespace qimbra::reference
