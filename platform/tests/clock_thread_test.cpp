#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
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

// Cleanups run once the thread's body has returned, the last registered
// first, also for an object that owns heap memory (the way the web layer
// frees its per-thread request object).
TEST(AtThreadExit, RunsCleanupsInReverseOrderWhenTheThreadEnds) {
    std::mutex mutex;
    std::string order;
    std::thread([&] {
        auto owned = std::make_shared<std::string>("owned");
        AtThreadExit([&, owned] {
            const std::lock_guard<std::mutex> lock(mutex);
            order += "1" + *owned;
        });
        AtThreadExit([&] {
            const std::lock_guard<std::mutex> lock(mutex);
            order += "2";
        });
        const std::lock_guard<std::mutex> lock(mutex);
        order += "body";
    }).join();
    EXPECT_EQ(order, "body21owned");
}

}  // namespace
}  // namespace qimbra::platform
