#include "web/cookie_merge.h"

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

    TextArray merged = SplitText(new_cookies, kPieceSeparator);
    for (const Text& piece : SplitText(old_cookies, kPieceSeparator)) {
        if (!HasCookieName(merged, CookieName(piece))) AppendText(merged, piece);
    }

    Text joined;
    for (const Text& piece : merged) {
        if (TextRight(piece, 8) != kDeletedMark) joined = ConcatText(joined, piece, kPieceSeparator);
    }
    joined = TextLeft(joined, TextLength(joined) - 2);

    old_cookies = JoinDistinct(joined, kPieceSeparator);
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
    TextArray seen;
    Text out;
    for (const Text& piece : SplitText(text, separator)) {
        if (IndexOfText(seen, piece) != -1) continue;
        AppendText(seen, piece);
        out = ConcatText(out, piece, separator);
    }
    return TextLeft(out, TextLength(out) - TextLength(separator));
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
