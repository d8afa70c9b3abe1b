#include "values/conversions.h"

#include <charconv>
#include <vector>

#include "platform/clock.h"
#include "platform/event_queue.h"
#include "platform/files.h"

namespace qimbra {

Bytes ToBytes(const Text& text) { return Bytes(text.view()); }

Text ToText(const Bytes& value) { return Text(value.view()); }

Text ToText(int32_t value) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof(digits), value);
    return Text(std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

bool WriteFile(const Text& path, std::initializer_list<std::string_view> data) {
    if (path.empty()) return false;
    const std::string native = platform::NativePath(path.view());
    if (native.empty()) return false;
    return platform::ReplaceFileAtomically(native, std::span<const std::string_view>(data.begin(), data.size()));
}

int32_t UptimeMs() { return static_cast<int32_t>(platform::TickCountMs()); }

void PumpEvents() { platform::PumpThreadEvents(); }

}  // namespace qimbra
