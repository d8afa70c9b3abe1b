#pragma once

#include <cstdint>
#include <string>

#include "values/bytes.h"
#include "values/text.h"

namespace qimbra {

// The bytes of every argument in order; empty arguments add nothing.
template <class... More>
[[nodiscard]] Text ConcatText(const Text& first, const Text& second, const More&... more) {
    std::string joined;
    joined.reserve(first.bytes().size() + second.bytes().size() + (more.bytes().size() + ... + 0));
    joined.append(first.bytes()).append(second.bytes());
    (joined.append(more.bytes()), ...);
    return Text(joined);
}

// Byte by byte, unsigned, first difference decides: -1, 0 or 1. A text that
// ends first is the smaller.
[[nodiscard]] int32_t CompareText(const Text& first, const Text& second);

// The bytes of every argument in order.
template <class... More>
[[nodiscard]] Bytes ConcatBytes(const Bytes& first, const Bytes& second, const More&... more) {
    std::string joined;
    joined.reserve(first.data().size() + second.data().size() + (more.data().size() + ... + 0));
    joined.append(first.data()).append(second.data());
    (joined.append(more.data()), ...);
    return Bytes(std::move(joined));
}

// Compares exactly `count` bytes of the two ranges, unsigned: -1, 0 or 1;
// `count` 0 (or less) gives 0.
[[nodiscard]] int32_t CompareBytes(const unsigned char* first, const unsigned char* second, int32_t count);

// A real stored into an integer: truncated toward zero through a 64-bit
// integer, of which the low 32 bits are kept. 6.67 gives 6, -2.5 gives -2.
[[nodiscard]] int32_t TruncateToInt(double value);

}  // namespace qimbra
