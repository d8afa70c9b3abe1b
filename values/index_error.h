#pragma once

#include <cstddef>
#include <cstdint>

namespace qimbra {

// Ends the program with the fatal run-time error for an element `index`
// outside 1 to `count`, naming which of the two bounds it broke.
[[noreturn]] void FatalIndexError(int32_t index, int32_t count);

// The element index checked against 1 to `count`, as a 0-based offset.
inline size_t CheckedIndex(int32_t index, int32_t count) {
    if (index < 1 || index > count) FatalIndexError(index, count);
    return static_cast<size_t>(index - 1);
}

}  // namespace qimbra
