#include "platform/clock.h"

#include <time.h>

namespace qimbra::platform {

uint32_t TickCountMs() {
    timespec now{};
#ifdef CLOCK_BOOTTIME
    // Counts the time spent suspended too, like the system's own tick count.
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) clock_gettime(CLOCK_MONOTONIC, &now);
#else
    clock_gettime(CLOCK_MONOTONIC, &now);
#endif
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

}  // namespace qimbra::platform
