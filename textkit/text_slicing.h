#pragma once

#include <cstdint>
#include <optional>

#include "values/text.h"
#include "values/text_array.h"

namespace qimbra {

// Cutting pieces out of a Text by marker texts, and rewriting a Text with a
// series of replacements. Positions are 1-based byte positions; a left-out
// position searches from the first byte. Letter case, when ignored, folds only
// ASCII letters. The literal "#引号" in the markers of TextBetween stands for
// one double quote.

// The bytes between the first `start_marker` found from `start_position` and
// the first `end_marker` behind it. Empty when either marker is missing or the
// end marker follows the start marker at once.
// TextBetween("a\"b\"c", "#引号", "#引号") == "b".
[[nodiscard]] Text TextBetween(const Text& text, const Text& start_marker, const Text& end_marker,
                               std::optional<int32_t> start_position = std::nullopt,
                               std::optional<bool> ignore_case = std::nullopt);

// Everything in front of `separator`. With `start_position` 1 or more (or left
// out) the separator is searched forwards from there; with -1 the last
// occurrence anywhere is taken, with -n (n >= 2) the last one that leaves the
// final n bytes out. Empty when the separator is missing or starts the text.
// TextLeftOf("a: b: c", ": ", -1) == "a: b".
[[nodiscard]] Text TextLeftOf(const Text& text, const Text& separator,
                              std::optional<int32_t> start_position = std::nullopt,
                              std::optional<bool> ignore_case = std::nullopt);

// Empties `items`, then appends every piece between a `start_marker` and the
// next `end_marker`, as prefix + piece + suffix, wrapped in the markers when
// the include switches are on. With `max_length` given and not 0, an item
// goes in only when it is shorter than that. Each search for the next start
// marker begins right behind the previous start marker, so pieces may
// overlap. The calling thread's pending events are processed three times after
// every piece found. Returns the number of items; 0 (and `items` empty) for an
// empty start marker. The searches take time linear in the text, also when
// many start markers stand in front of one end marker, and an item too long
// for `max_length` is never built.
int32_t TextBetweenAll(const Text& text, const Text& start_marker, const Text& end_marker, TextArray& items,
                       std::optional<bool> ignore_case = std::nullopt, std::optional<int32_t> max_length = std::nullopt,
                       const std::optional<Text>& prefix = std::nullopt,
                       const std::optional<Text>& suffix = std::nullopt,
                       std::optional<bool> include_start_marker = std::nullopt,
                       std::optional<bool> include_end_marker = std::nullopt,
                       std::optional<int32_t> start_position = std::nullopt);

// Applies up to five find/replacement pairs one after another, each to the
// result of the one before, with the same `count` (left out: every
// occurrence), `start_position` (left out or 0: 1) and letter-case rule
// (`case_sensitive` left out or false: case ignored). A pair with an empty
// find text changes nothing.
// ReplaceMany("ab", nullopt, nullopt, nullopt, "a", "b", "b", "c") == "cc".
[[nodiscard]] Text ReplaceMany(
    const Text& text, std::optional<int32_t> count, std::optional<int32_t> start_position,
    std::optional<bool> case_sensitive, const Text& find1, const Text& replacement1,
    const std::optional<Text>& find2 = std::nullopt, const std::optional<Text>& replacement2 = std::nullopt,
    const std::optional<Text>& find3 = std::nullopt, const std::optional<Text>& replacement3 = std::nullopt,
    const std::optional<Text>& find4 = std::nullopt, const std::optional<Text>& replacement4 = std::nullopt,
    const std::optional<Text>& find5 = std::nullopt, const std::optional<Text>& replacement5 = std::nullopt);

}  // namespace qimbra
