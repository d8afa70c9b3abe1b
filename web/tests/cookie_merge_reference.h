// The cookie merge written step by step as it is defined, with a list search
// for every name and every piece: quadratic in the number of cookies, and the
// yardstick that the linear MergeCookies must match byte for byte.
#pragma once

#include "values/text.h"
#include "values/text_array.h"
#include "values/text_ops.h"
#include "values/value_ops.h"

namespace qimbra::reference {

inline Text CookieName(const Text& piece) {
    const int32_t equals = FindText(piece, Text("="));
    if (equals == -1) return TrimText(piece);
    return TrimText(TextLeft(piece, equals - 1));
}

inline bool HasCookieName(const TextArray& pieces, const Text& name) {
    for (const Text& piece : pieces) {
        if (CompareText(reference::CookieName(piece), name) == 0) return true;
    }
    return false;
}

inline int32_t IndexOfText(const TextArray& list, const Text& text) {
    int32_t index = 1;
    for (const Text& element : list) {
        if (CompareText(element, text) == 0) return index;
        ++index;
    }
    return -1;
}

inline Text JoinDistinct(const Text& text, const Text& separator) {
    TextArray seen;
    Text out;
    for (const Text& piece : SplitText(text, separator)) {
        if (reference::IndexOfText(seen, piece) != -1) continue;
        AppendText(seen, piece);
        out = ConcatText(out, piece, separator);
    }
    return TextLeft(out, TextLength(out) - TextLength(separator));
}

inline Text TidyCookies(const Text& cookies) {
    Text tidy = TrimText(cookies);
    if (TextRight(tidy, 1) == Text(";")) tidy = ConcatText(tidy, Text(" "));
    return tidy;
}

inline Text MergeCookies(Text& old_cookies, Text& new_cookies) {
    const Text separator("; ");
    old_cookies = TidyCookies(old_cookies);
    new_cookies = TidyCookies(new_cookies);
    TextArray merged = SplitText(new_cookies, separator);
    for (const Text& piece : SplitText(old_cookies, separator)) {
        if (!reference::HasCookieName(merged, reference::CookieName(piece))) AppendText(merged, piece);
    }
    old_cookies = Text();
    for (const Text& piece : merged) {
        if (TextRight(piece, 8) != Text("=deleted")) old_cookies = ConcatText(old_cookies, piece, separator);
    }
    old_cookies = TextLeft(old_cookies, TextLength(old_cookies) - 2);
    old_cookies = reference::JoinDistinct(old_cookies, separator);
    return old_cookies;
}

}  // namespace qimbra::reference
