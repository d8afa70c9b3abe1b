#pragma once

#include <cstdint>
#include <optional>

#include "values/bytes.h"
#include "values/text.h"

namespace qimbra {

// Conversions between code pages through UTF-16. Code pages are Windows code
// page numbers: 65001 is UTF-8, 936 the code page of every Text, 0 the
// system's ANSI code page, which is 936 here. Invalid input sequences and
// characters the target code page lacks are replaced and the conversion goes
// on with the rest of the text.

// `text`, whose bytes are UTF-8, as the same characters in code page 936.
// Utf8ToGbk("\xE4\xBD\xA0\xE5\xA5\xBD") == "\xC4\xE3\xBA\xC3"; empty gives empty.
[[nodiscard]] Text Utf8ToGbk(const Text& text);

// The text of a page body: its bytes in front of the first zero byte, as
// UTF-8, converted to code page 936; the same as Utf8ToGbk(ToText(body)).
// Takes the body over and lets it go as soon as the converted text exists,
// and converts in pieces, so that at most about twice the body is held at
// any time.
[[nodiscard]] Text Utf8BodyToGbk(Bytes&& body);

// `text` in `code_page` (left out: 65001) as little-endian UTF-16 code units
// followed by one zero unit. Empty for an empty text or an unknown code page.
// TextToUtf16("A") is the four bytes 41 00 00 00.
[[nodiscard]] Bytes TextToUtf16(const Text& text, std::optional<int32_t> code_page = std::nullopt);

// The little-endian UTF-16 units of `wide` up to its first zero unit (or its
// end when it has none) as a Text in `code_page` (left out: 0, that is 936).
// Empty for no units or an unknown code page.
[[nodiscard]] Text Utf16ToText(const Bytes& wide, std::optional<int32_t> code_page = std::nullopt);

}  // namespace qimbra
