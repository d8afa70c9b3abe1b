#pragma once

#include <cstddef>
#include <string_view>

namespace qimbra {

// The offset of the first occurrence of `needle` in `haystack`, or npos; an
// empty needle is found at 0. Byte for byte, in time linear in the lengths
// whatever the bytes (the two-way search), and usually faster: the last byte
// of each window decides first how far to skip.
[[nodiscard]] size_t FindBytes(std::string_view haystack, std::string_view needle);

}  // namespace qimbra
