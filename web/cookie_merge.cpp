#include "web/cookie_merge.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_set>

#include "values/text_ops.h"
#include "values/value_ops.h"

namespace qimbra {
namespace {

const Text kPieceSeparator("; ");
const Text kDeletedMark("=deleted");
const Text kEquals("=");
const Text kSemicolon(";");
const Text kSpace(" ");

// Trimmed, with a space after a final ";" so that it splits like the rest.
Text Tidy(const Text& cookies) {
    Text tidy = TrimText(cookies);
    if (TextRight(tidy, 1) == kSemicolon) tidy = ConcatText(tidy, kSpace);
    return tidy;
}

}  // namespace

Text MergeCookies(Text& old_cookies, Text& new_cookies) {
    old_cookies = Tidy(old_cookies);
    new_cookies = Tidy(new_cookies);

    // The names of the pieces merged so far, so that each old piece costs one
    // look-up rather than a pass over the growing list.
    TextArray merged = SplitText(new_cookies, kPieceSeparator);
    const TextArray old_pieces = SplitText(old_cookies, kPieceSeparator);
    std::unordered_set<std::string> names;
    names.reserve(static_cast<size_t>(ArraySize(merged)) + static_cast<size_t>(ArraySize(old_pieces)));
    for (const Text& piece : merged) names.insert(CookieName(piece).bytes());
    for (const Text& piece : old_pieces) {
        if (names.insert(CookieName(piece).bytes()).second) AppendText(merged, piece);
    }

    std::string joined;
    joined.reserve(old_cookies.view().size() + new_cookies.view().size() + kPieceSeparator.view().size());
    for (const Text& piece : merged) {
        if (TextRight(piece, 8) == kDeletedMark) continue;
        joined.append(piece.bytes()).append(kPieceSeparator.bytes());
    }
    joined.resize(joined.size() - std::min<size_t>(joined.size(), kPieceSeparator.bytes().size()));

    old_cookies = JoinDistinct(Text(joined), kPieceSeparator);
    return old_cookies;
}

Text CookieName(const Text& piece) {
    const int32_t equals = FindText(piece, kEquals);
    if (equals == -1) return TrimText(piece);
    return TrimText(TextLeft(piece, equals - 1));
}

bool HasCookieName(const TextArray& pieces, const Text& name) {
    for (const Text& piece : pieces) {
        if (CompareText(CookieName(piece), name) == 0) return true;
    }
    return false;
}

Text JoinDistinct(const Text& text, const Text& separator) {
    const TextArray pieces = SplitText(text, separator);
    // Views into `pieces`, which stays unchanged while they are used.
    std::unordered_set<std::string_view> seen;
    seen.reserve(static_cast<size_t>(ArraySize(pieces)));
    std::string out;
    out.reserve(text.view().size() + separator.view().size());
    for (const Text& piece : pieces) {
        if (!seen.insert(piece.view()).second) continue;
        out.append(piece.bytes()).append(separator.bytes());
    }
    out.resize(out.size() - std::min(out.size(), separator.bytes().size()));
    return Text(out);
}

int32_t IndexOfText(const TextArray& list, const Text& text) {
    int32_t index = 1;
    for (const Text& element : list) {
        if (CompareText(element, text) == 0) return index;
        ++index;
    }
    return -1;
}

}  // namespace qimbra
