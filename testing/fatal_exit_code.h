#pragma once

namespace qimbra::testing {

// The exit code a test sees from a process that the fatal run-time error
// ended with -1: the low byte on Linux, all 32 bits on Windows.
#ifdef _WIN32
inline constexpr int kFatalExitCode = -1;
#else
inline constexpr int kFatalExitCode = 255;
#endif

}  // namespace qimbra::testing
