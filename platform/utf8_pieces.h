// Cutting a UTF-8 text into pieces for a conversion that goes piece by piece.
// Used by the encoding backends only.
#pragma once

#include <cstddef>
#include <string_view>

namespace qimbra::platform {

// Where the piece of `utf8` that starts at `start` ends, for pieces of about
// `piece_bytes` (at least 4): the end of the text when the rest fits, else in
// front of the last byte within the piece that starts a character (after four
// continuation bytes in a row, anywhere). No piece splits a sequence, so
// converting piece by piece gives what converting the whole text gives.
[[nodiscard]] size_t Utf8PieceEnd(std::string_view utf8, size_t start, size_t piece_bytes);

}  // namespace qimbra::platform
