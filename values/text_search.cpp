// FindText, FindTextReverse, ReplaceText and SplitText: the operations that
// look for a needle at the character stops of a walk.
//
// A walk from byte k stops at k, then moves one byte past a byte below 0x80
// and two bytes past a lead byte. Rather than comparing the needle at every
// stop, the operations find raw occurrences with NeedleFinder and then decide
// whether an occurrence starts at a stop. That is a local question: the byte
// after any byte below 0x80 (at or after k) is a stop, whether that byte was a
// character of its own or the second byte of one, and from there the lead
// bytes pair up. So q is a stop exactly when an even number of bytes of 0x80
// or more lie between q and the nearest byte below 0x80 in front of it (or the
// walk's start).
#include <cstdint>
#include <string>

#include "values/needle_finder.h"
#include "values/text_ops.h"

namespace qimbra {
namespace {

constexpr size_t npos = std::string_view::npos;

bool IsLead(unsigned char byte) { return byte >= 0x80; }

// Answers "is q a stop of the walk?" for rising q, in time linear in the
// distance covered: it never looks further back than the last position it
// already knows to be a stop.
class StopTracker {
  public:
    StopTracker(std::string_view text, size_t walk_start)
        : s_(reinterpret_cast<const unsigned char*>(text.data())), known_(walk_start) {}

    // `q` must not lie in front of the last answer's position.
    bool IsStop(size_t q) {
        size_t leads = 0;
        for (size_t i = q; i > known_ && IsLead(s_[i - 1]); --i) ++leads;
        const bool stop = leads % 2 == 0;
        // A position that is no stop is a second byte, so the next one is.
        known_ = stop ? q : q + 1;
        return stop;
    }

    // The walk starts afresh at `position` (behind a replaced or split-off
    // occurrence).
    void RestartAt(size_t position) { known_ = position; }

    [[nodiscard]] size_t known() const { return known_; }

  private:
    const unsigned char* s_;
    size_t known_;
};

// The first occurrence at a stop, at or after `from`, lying wholly inside
// `haystack`; npos when none.
size_t NextAtStop(NeedleFinder& finder, StopTracker& stops, std::string_view haystack, size_t from) {
    for (;;) {
        const size_t q = finder.Next(haystack, from);
        if (q == npos || stops.IsStop(q)) return q;
        from = q + 1;
    }
}

// Start position (1-based, optional) as a 0-based offset, raised to 0.
int64_t StartOffset(std::optional<int32_t> start_position) {
    if (!start_position) return 0;
    return std::max<int64_t>(0, int64_t{*start_position} - 1);
}

}  // namespace

int32_t FindText(const Text& text, const Text& search_text, std::optional<int32_t> start_position, bool ignore_case) {
    const std::string_view s = text.view();
    const int64_t length = static_cast<int64_t>(s.size());
    const int64_t k = StartOffset(start_position);
    if (k >= length) return -1;
    if (search_text.empty()) return 1;
    if (static_cast<int64_t>(search_text.view().size()) > length - k) return -1;
    NeedleFinder finder(search_text.view(), ignore_case);
    StopTracker stops(s, static_cast<size_t>(k));
    const size_t q = NextAtStop(finder, stops, s, static_cast<size_t>(k));
    return q == npos ? -1 : static_cast<int32_t>(q + 1);
}

int32_t FindTextReverse(const Text& text, const Text& search_text, std::optional<int32_t> start_position,
                        bool ignore_case) {
    const std::string_view s = text.view();
    size_t window = s.size();
    if (start_position) {
        const int64_t k = StartOffset(start_position);
        window = k == 0 ? 0 : static_cast<size_t>(std::min<int64_t>(k, static_cast<int64_t>(s.size())));
    }
    if (search_text.empty()) return window > 0 ? 1 : -1;
    if (search_text.view().size() > window) return -1;
    // Stops are defined by a walk from the first byte, so go forwards and keep
    // the last occurrence.
    const std::string_view haystack = s.substr(0, window);
    NeedleFinder finder(search_text.view(), ignore_case);
    StopTracker stops(s, 0);
    size_t last = npos;
    for (size_t q = NextAtStop(finder, stops, haystack, 0); q != npos; q = NextAtStop(finder, stops, haystack, q + 1)) {
        last = q;
    }
    return last == npos ? -1 : static_cast<int32_t>(last + 1);
}

Text ReplaceText(const Text& text, const Text& find_text, const std::optional<Text>& replacement,
                 std::optional<int32_t> start_position, std::optional<int32_t> count, bool case_sensitive) {
    const std::string_view s = text.view();
    const std::string_view needle = find_text.view();
    const int64_t k = StartOffset(start_position);
    if (s.empty() || needle.empty() || k >= static_cast<int64_t>(s.size()) || (count && *count == 0)) return text;
    const bool limited = count && *count > 0;
    const std::string_view with = replacement ? replacement->view() : std::string_view();

    std::string result;
    result.reserve(s.size());
    NeedleFinder finder(needle, !case_sensitive);
    StopTracker stops(s, static_cast<size_t>(k));
    size_t copied = static_cast<size_t>(k);  // bytes in front of this are in `result`
    result.append(s.substr(0, copied));
    int32_t replaced = 0;
    for (size_t q = NextAtStop(finder, stops, s, copied); q != npos; q = NextAtStop(finder, stops, s, copied)) {
        result.append(s.substr(copied, q - copied)).append(with);
        copied = q + needle.size();
        stops.RestartAt(copied);
        if (limited && ++replaced == *count) {
            result.append(s.substr(copied));
            return Text(result);
        }
    }
    // The walk went on to the end. With a one-byte needle it reaches the last
    // byte; when that is a lead byte without its second byte, it is dropped.
    const size_t last = s.size() - 1;
    const bool drop_last = needle.size() == 1 && copied <= last && IsLead(static_cast<unsigned char>(s[last])) &&
                           stops.known() <= last && stops.IsStop(last);
    result.append(s.substr(copied, s.size() - copied - (drop_last ? 1 : 0)));
    return Text(result);
}

TextArray SplitText(const Text& text, const std::optional<Text>& delimiter, std::optional<int32_t> max_count) {
    static const Text kComma(",");
    const std::string_view s = text.view();
    const std::string_view separator = (delimiter ? *delimiter : kComma).view();
    const bool limited = max_count.has_value();
    const int32_t limit = limited ? std::max(0, *max_count) : 0;

    TextArray pieces;
    if (s.empty() || (limited && limit == 0)) return pieces;
    if (separator.empty()) {
        AppendText(pieces, text);
        return pieces;
    }
    NeedleFinder finder(separator, false);
    StopTracker stops(s, 0);
    size_t piece = 0;
    for (size_t q = NextAtStop(finder, stops, s, 0); q != npos; q = NextAtStop(finder, stops, s, piece)) {
        AppendText(pieces, Text(s.substr(piece, q - piece)));
        piece = q + separator.size();
        stops.RestartAt(piece);
        if (limited && ArraySize(pieces) == limit) return pieces;
    }
    if (piece < s.size() && (!limited || ArraySize(pieces) < limit)) AppendText(pieces, Text(s.substr(piece)));
    return pieces;
}

}  // namespace qimbra
