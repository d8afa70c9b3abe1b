// Merging the cookies a caller holds with the cookies a response has set. A
// cookie text is a list of pieces separated by "; ", each normally
// "name=value".
#pragma once

#include <cstdint>

#include "values/text.h"
#include "values/text_array.h"

namespace qimbra {

// Merges `new_cookies` over `old_cookies`: the new pieces first, in their
// order, then the old pieces whose names no new piece (and no earlier old
// piece) carries; pieces ending in "=deleted" are dropped and exact repeats
// kept once. Both variables are rewritten: `new_cookies` is trimmed (a space
// added after a final ";"), `old_cookies` receives the merged text, which is
// also returned.
// old "a=1; b=2", new "b=3; c=4" gives "b=3; c=4; a=1".
Text MergeCookies(Text& old_cookies, Text& new_cookies);

// The name of a cookie piece: the text before its first "=", trimmed, or the
// whole piece trimmed when it holds no "=". CookieName(" a =1") == "a".
[[nodiscard]] Text CookieName(const Text& piece);

// True when some piece of `pieces` has exactly the name `name`
// (case-sensitive); false for an empty list.
[[nodiscard]] bool HasCookieName(const TextArray& pieces, const Text& name);

// The pieces of `text` between `separator`s, each exact repeat left out,
// joined again with `separator`. JoinDistinct("a; b; a", "; ") == "a; b".
[[nodiscard]] Text JoinDistinct(const Text& text, const Text& separator);

// The 1-based index of the first element of `list` equal to `text`, or -1.
[[nodiscard]] int32_t IndexOfText(const TextArray& list, const Text& text);

}  // namespace qimbra
