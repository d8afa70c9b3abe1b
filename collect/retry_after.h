#pragma once

#include <chrono>
#include <optional>

#include "values/text.h"

namespace qimbra {

// How many seconds a response asks the client to wait, from its header lines
// (CR LF separated, "Name: value"): a "Retry-After" line (any letter case)
// holding either a number of seconds or an HTTP date (the fixed form
// "Sun, 06 Nov 1994 08:49:37 GMT"), which counts from `now`; a date already
// past gives 0. None when there is no such line or it cannot be read.
// RetryAfterSeconds("Retry-After: 7", now) == 7.
[[nodiscard]] std::optional<int64_t> RetryAfterSeconds(const Text& header_lines,
                                                       std::chrono::system_clock::time_point now);

}  // namespace qimbra
