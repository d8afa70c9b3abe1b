// What the harnesses share: a check that stops the run with a message, so
// that libFuzzer keeps the input that broke a property, and helpers that cut
// the fuzzer's bytes into the arguments of one call.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "values/text.h"

namespace qimbra::fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    std::abort();
}

#define QIMBRA_REQUIRE(condition) \
    ((condition) ? static_cast<void>(0) : ::qimbra::fuzz::Fail(__FILE__, __LINE__, #condition))

// A Text of at most `max_length` bytes (a zero byte ends it, as for every
// Text).
inline Text TakeText(FuzzedDataProvider& data, size_t max_length) {
    return Text(data.ConsumeRandomLengthString(max_length));
}

inline std::optional<Text> MaybeText(FuzzedDataProvider& data, size_t max_length) {
    if (!data.ConsumeBool()) return std::nullopt;
    return TakeText(data, max_length);
}

inline std::optional<bool> MaybeBool(FuzzedDataProvider& data) {
    switch (data.ConsumeIntegralInRange<int>(0, 2)) {
        case 0:
            return std::nullopt;
        case 1:
            return false;
        default:
            return true;
    }
}

// Left out, or a position near the text (and now and then far off).
inline std::optional<int32_t> MaybePosition(FuzzedDataProvider& data, const Text& text) {
    switch (data.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            return std::nullopt;
        case 1:
            return data.ConsumeIntegral<int32_t>();
        default:
            return data.ConsumeIntegralInRange<int32_t>(-2, text.size() + 2);
    }
}

inline bool IsAscii(const Text& text) {
    for (const char c : text.view()) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace qimbra::fuzz
