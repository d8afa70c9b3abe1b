#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "values/bytes.h"
#include "values/text.h"

namespace qimbra {

// Every byte of `text`, without a terminator.
[[nodiscard]] Bytes ToBytes(const Text& text);
// The bytes in front of the first zero byte; no code-page conversion.
[[nodiscard]] Text ToText(const Bytes& value);
// Decimal form: 0 gives "0", -15 gives "-15".
[[nodiscard]] Text ToText(int32_t value);

// Writes the bytes of every `data` in order to the file `path` (code page 936),
// replacing the file. The target is replaced only once every byte is on disk,
// so a failed write leaves the earlier content in place. No directory is
// created. False for an empty path or any failure.
bool WriteFile(const Text& path, std::initializer_list<std::string_view> data);
template <class... More>
bool WriteFile(const Text& path, const Bytes& data, const More&... more) {
    return WriteFile(path, {data.view(), more.view()...});
}

// Milliseconds since the system started, as a 32-bit integer that wraps.
[[nodiscard]] int32_t UptimeMs();

// Lets the calling thread's pending events be processed; returns as soon as
// none is left, never waits.
void PumpEvents();

}  // namespace qimbra
