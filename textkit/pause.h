#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

namespace qimbra {

// Waits `amount` units on a steady clock while processing the calling thread's
// queued events as soon as they arrive. `unit`: 0 (or left out) milliseconds,
// 1 seconds, 2 minutes, 3 hours; any other value is the number of milliseconds
// in one unit. Returns at once when `amount` is left out, 0 or negative, or
// when the product is not positive. Always true.
// Pause(500) waits half a second; Pause(3, 250) waits 750 ms.
bool Pause(std::optional<int32_t> amount = std::nullopt, std::optional<int64_t> unit = std::nullopt);

// Like Pause(amount_ms), but ends early, within a few milliseconds, once
// `stop` (nullptr: never) is true; it returns at once when it already is.
// True when the whole time was waited, false when the wait was stopped.
bool PauseUnlessStopped(int32_t amount_ms, const std::atomic<bool>* stop);

}  // namespace qimbra
