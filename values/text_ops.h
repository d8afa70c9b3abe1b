#pragma once

#include <cstdint>
#include <optional>

#include "values/bytes.h"
#include "values/text.h"
#include "values/text_array.h"

namespace qimbra {

// Measuring and cutting by bytes (a two-byte character may be cut in half).
[[nodiscard]] int32_t TextLength(const Text& text);
[[nodiscard]] Text TextLeft(const Text& text, int32_t count);
[[nodiscard]] Text TextRight(const Text& text, int32_t count);
[[nodiscard]] Text TextMid(const Text& text, int32_t start_position, int32_t count);

// 1-based position of the first occurrence of `search_text` at a character
// stop from `start_position` on (left out: the first byte), or -1. An empty
// `search_text` gives 1 whenever the searched range is not empty.
[[nodiscard]] int32_t FindText(const Text& text, const Text& search_text,
                               std::optional<int32_t> start_position = std::nullopt, bool ignore_case = false);

// 1-based position of the last occurrence lying wholly in front of
// `start_position` (left out: the whole text), or -1.
[[nodiscard]] int32_t FindTextReverse(const Text& text, const Text& search_text,
                                      std::optional<int32_t> start_position = std::nullopt, bool ignore_case = false);

// `text` with the occurrences of `find_text` from `start_position` on replaced
// by `replacement` (left out: empty), at most `count` of them (left out or
// negative: all).
[[nodiscard]] Text ReplaceText(const Text& text, const Text& find_text,
                               const std::optional<Text>& replacement = std::nullopt,
                               std::optional<int32_t> start_position = std::nullopt,
                               std::optional<int32_t> count = std::nullopt, bool case_sensitive = true);

// The pieces of `text` between occurrences of `delimiter` (left out: ","), at
// most `max_count` of them (left out: no limit). No empty last piece.
[[nodiscard]] TextArray SplitText(const Text& text, const std::optional<Text>& delimiter = std::nullopt,
                                  std::optional<int32_t> max_count = std::nullopt);

// Without leading and trailing spaces and full-width spaces (A1 A1).
[[nodiscard]] Text TrimText(const Text& text);
// ASCII letters upper-cased; two-byte characters unchanged.
[[nodiscard]] Text UpperText(const Text& text);
// `count` spaces; empty for 0 or less.
[[nodiscard]] Text BlankText(int32_t count);
// `count` zero bytes; empty for 0 or less.
[[nodiscard]] Bytes BlankBytes(int32_t count);

}  // namespace qimbra
