#include "textkit/pause.h"

#include <algorithm>
#include <chrono>

#include "platform/event_queue.h"

namespace qimbra {
namespace {

double MillisecondsPerUnit(int64_t unit) {
    switch (unit) {
        case 0:
            return 1;
        case 1:
            return 1000;
        case 2:
            return 60000;
        case 3:
            return 3600000;
        default:
            return static_cast<double>(unit);
    }
}

// Longer waits are cut to this (about 31,700 years) so that the deadline
// stays inside the clock's range.
constexpr double kLongestWaitMs = 1e15;

// How often a stoppable pause looks at its flag.
constexpr auto kStopCheckInterval = std::chrono::milliseconds(10);

}  // namespace

bool Pause(std::optional<int32_t> amount, std::optional<int64_t> unit) {
    if (!amount || *amount <= 0) return true;
    double wait_ms = static_cast<double>(*amount) * MillisecondsPerUnit(unit.value_or(0));
    if (!(wait_ms > 0)) return true;
    if (wait_ms > kLongestWaitMs) wait_ms = kLongestWaitMs;

    using Clock = std::chrono::steady_clock;
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(wait_ms));
    platform::WaitProcessingEvents(deadline);  // returns once the deadline has passed
    return true;
}

bool PauseUnlessStopped(int32_t amount_ms, const std::atomic<bool>* stop) {
    if (stop == nullptr) return Pause(amount_ms);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(amount_ms, 0));
    // The wait is cut into short slices that all end on the same deadline,
    // so the pause is as long as an unbroken one.
    while (!stop->load()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return true;
        platform::WaitProcessingEvents(std::min(deadline, now + kStopCheckInterval));
    }
    return false;
}

}  // namespace qimbra
