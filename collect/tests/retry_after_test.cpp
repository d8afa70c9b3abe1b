#include "collect/retry_after.h"

#include <gtest/gtest.h>

#include <chrono>

namespace qimbra {
namespace {

TEST(RetryAfterSeconds, SecondsOrAnHttpDate) {
    using namespace std::chrono;
    // Sun, 06 Nov 1994 08:49:37 GMT
    const system_clock::time_point now = sys_days(year(1994) / November / 6) + hours(8) + minutes(49) + seconds(37);
    struct Case {
        const char* lines;
        std::optional<int64_t> seconds;
    };
    const Case kCases[] = {
        {"Retry-After: 7", 7},
        {"Content-Type: text/html\r\nretry-after:   120  \r\nX: y", 120},
        {"RETRY-AFTER: 0", 0},
        {"Retry-After: Sun, 06 Nov 1994 08:50:07 GMT", 30},
        {"Retry-After: Mon, 07 Nov 1994 08:49:37 GMT", 86400},
        {"Retry-After: Sun, 06 Nov 1994 08:00:00 GMT", 0},  // already past
        {"Retry-After: Sun, 06 Nov 1994 08:50:07 UTC", std::nullopt},
        {"Retry-After: Sun, 31 Nov 1994 08:50:07 GMT", std::nullopt},
        {"Retry-After: soon", std::nullopt},
        {"Retry-After: -5", std::nullopt},
        {"Retry-After: 5s", std::nullopt},
        {"Retry-After:", std::nullopt},
        {"X-Retry-After: 5", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.lines);
        EXPECT_EQ(RetryAfterSeconds(Text(c.lines), now), c.seconds);
    }
}

}  // namespace
}  // namespace qimbra
