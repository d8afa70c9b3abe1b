#include "textkit/text_slicing.h"

#include <algorithm>
#include <array>
#include <string_view>

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

namespace {

// The end-marker searches of one TextBetweenAll call, which start from rising
// positions. Searching afresh from each start would cost the distance to the
// end marker every time, so a page that repeats the start marker many times
// in front of one end marker would take time growing with the square of its
// length. Instead earlier answers are reused where they must still hold.
//
// A search from `from` walks by characters: it stops at `from`, then one byte
// behind a byte below 0x80 and two behind a lead byte. When `from` is a stop
// of the walk of an earlier search that found the end marker at or behind
// `from`, the later walk is the tail of the earlier one and finds the same
// occurrence. When `from` is the second byte of a character of the earlier
// walk, the two walks stop at the same places again behind the first byte
// below 0x80 at or after `from`: only the run of lead bytes up to and
// including that byte needs a fresh look. Inside a run of lead bytes the
// walks fall into two kinds (by the parity of their start), so two answers
// are kept, one of each kind once both have been asked for.
class EndMarkerSearch {
  public:
    EndMarkerSearch(const Text& text, const Text& end_marker, bool ignore_case)
        : text_(text), end_marker_(end_marker), ignore_case_(ignore_case) {}

    // FindText(text, end_marker, from, ignore_case), for `from` (1-based, at
    // least 1) never lower than in the call before.
    int32_t From(int32_t from) {
        const std::string_view s = text_.view();
        const size_t start = static_cast<size_t>(from - 1);
        Answer* earlier = nullptr;  // one that still lies ahead
        for (Answer& answer : answers_) {
            if (answer.found < from) continue;
            while (answer.walk < start) answer.walk += static_cast<unsigned char>(s[answer.walk]) >= 0x80 ? 2 : 1;
            if (answer.walk == start) return answer.found;
            earlier = &answer;
        }
        if (earlier == nullptr) return Keep(FindText(text_, end_marker_, from, ignore_case_), start, nullptr);

        const size_t found = static_cast<size_t>(earlier->found - 1);
        const size_t plain = FirstPlainByteFrom(start);
        const size_t last_candidate = std::min(plain, found);
        const Text stretch(s.substr(start, last_candidate - start + end_marker_.view().size()));
        const int32_t early = FindText(stretch, end_marker_, std::nullopt, ignore_case_);
        if (early > 0) return Keep(static_cast<int32_t>(start) + early, start, earlier);
        if (plain < found) return Keep(earlier->found, start, earlier);
        // Only lead bytes up to the earlier answer.
        return Keep(FindText(text_, end_marker_, from, ignore_case_), start, earlier);
    }

  private:
    struct Answer {
        int32_t found = -1;  // where the end marker was found, 1-based
        size_t walk = 0;     // a stop (0-based) of the walk that found it
    };

    // Stores `found`, the answer for a walk from `start`, in place of an
    // answer that lies behind or else of one other than `in_use`, and
    // returns it.
    int32_t Keep(int32_t found, size_t start, const Answer* in_use) {
        if (found <= 0) return found;
        Answer* slot = &answers_[0];
        if (answers_[0].found > static_cast<int32_t>(start) &&
            (answers_[1].found <= static_cast<int32_t>(start) || &answers_[0] == in_use)) {
            slot = &answers_[1];
        }
        *slot = Answer{found, start};
        return found;
    }

    // The first byte below 0x80 at or after `start` (0-based), or the length
    // of the text. Rising starts look at every byte at most once.
    size_t FirstPlainByteFrom(size_t start) {
        const std::string_view s = text_.view();
        if (plain_known_ && start <= plain_) return plain_;
        plain_known_ = true;
        plain_ = start;
        while (plain_ < s.size() && static_cast<unsigned char>(s[plain_]) >= 0x80) ++plain_;
        return plain_;
    }

    const Text& text_;
    const Text& end_marker_;
    const bool ignore_case_;
    std::array<Answer, 2> answers_{};
    // A byte below 0x80 (or the end) with only lead bytes between it and the
    // start it was looked for from.
    size_t plain_ = 0;
    bool plain_known_ = false;
};

}  // namespace

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
    const int64_t limit = max_length.value_or(0);
    const Text no_text;
    const Text& before = prefix ? *prefix : no_text;
    const Text& behind = suffix ? *suffix : no_text;
    const Text& opening = include_start_marker.value_or(false) ? start_marker : no_text;
    const Text& closing = include_end_marker.value_or(false) ? end_marker : no_text;
    const int64_t decoration =
        int64_t{TextLength(opening)} + TextLength(before) + TextLength(behind) + TextLength(closing);

    EndMarkerSearch ends(text, end_marker, fold);
    int32_t from = start_position.value_or(0);
    while (true) {
        const int32_t found = FindText(text, start_marker, from, fold);
        if (found < 0) break;
        from = found + TextLength(start_marker);
        const int32_t piece_end = ends.From(from);
        if (piece_end < 0) break;

        // The length is known before the item is built, so an item that would
        // be dropped costs nothing. (An empty end marker is found at position
        // 1, in front of the piece, which is then empty.)
        const int64_t piece_length = std::max(0, piece_end - from);
        if (limit == 0 || decoration + piece_length < limit) {
            AppendText(items, ConcatText(opening, before, TextMid(text, from, piece_end - from), behind, closing));
        }

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
