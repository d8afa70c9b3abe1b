#include "platform/utf8_pieces.h"

#include <algorithm>

namespace qimbra::platform {

size_t Utf8PieceEnd(std::string_view utf8, size_t start, size_t piece_bytes) {
    piece_bytes = std::max<size_t>(piece_bytes, 4);
    if (utf8.size() - start <= piece_bytes) return utf8.size();
    const size_t end = start + piece_bytes;
    auto is_continuation = [&](size_t i) { return (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80; };
    for (size_t p = end; p + 3 >= end && p > start; --p) {
        if (!is_continuation(p)) return p;
    }
    return end;
}

}  // namespace qimbra::platform
