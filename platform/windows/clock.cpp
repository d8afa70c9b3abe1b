#include "platform/clock.h"

#include <windows.h>

namespace qimbra::platform {

uint32_t TickCountMs() {
    // The 64-bit count, cut to 32 bits: the same wrap as GetTickCount.
    return static_cast<uint32_t>(GetTickCount64());
}

}  // namespace qimbra::platform
