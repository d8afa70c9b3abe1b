#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/clock.h"
#include "platform/thread.h"

namespace qimbra::platform {
namespace {

TEST(TickCountMs, AdvancesInMilliseconds) {
    const uint32_t before = TickCountMs();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const uint32_t elapsed = TickCountMs() - before;
    EXPECT_GE(elapsed, 29u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(StartDetachedThread, RunsBodyOnAnotherThread) {
    std::atomic<bool> done{false};
    std::atomic<bool> other_thread{false};
    const auto self = std::this_thread::get_id();
    StartDetachedThread([&] {
        other_thread = std::this_thread::get_id() != self;
        done = true;
    });
    for (int i = 0; i < 500 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_TRUE(done.load());
    EXPECT_TRUE(other_thread.load());
}

}  // namespace
}  // namespace qimbra::platform
