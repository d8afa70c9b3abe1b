#pragma once

#include <cstdint>

namespace qimbra::platform {

// Milliseconds since the system started, wrapping at 2^32.
[[nodiscard]] uint32_t TickCountMs();

}  // namespace qimbra::platform
