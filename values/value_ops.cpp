#include "values/value_ops.h"

#include <cmath>
#include <cstring>

namespace qimbra {
namespace {

int32_t Sign(int difference) { return difference < 0 ? -1 : (difference > 0 ? 1 : 0); }

}  // namespace

int32_t CompareText(const Text& first, const Text& second) {
    // A Text holds no zero byte, so the shorter one's terminator decides.
    return Sign(std::strcmp(first.c_str(), second.c_str()));
}

int32_t CompareBytes(const unsigned char* first, const unsigned char* second, int32_t count) {
    if (count <= 0) return 0;
    return Sign(std::memcmp(first, second, static_cast<size_t>(count)));
}

int32_t TruncateToInt(double value) {
    // Out of the 64-bit range (or not a number) the conversion gives the
    // "integer indefinite" 0x8000000000000000, whose low 32 bits are 0.
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (std::isnan(value) || value >= kTwoTo63 || value < -kTwoTo63) return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(value))));
}

}  // namespace qimbra
