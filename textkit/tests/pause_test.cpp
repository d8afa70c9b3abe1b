#include "textkit/pause.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/event_queue.h"

namespace qimbra {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

milliseconds Elapsed(Clock::time_point since) { return std::chrono::duration_cast<milliseconds>(Clock::now() - since); }

TEST(Pause, ReturnsAtOnce) {
    struct Case {
        const char* name;
        std::optional<int32_t> amount;
        std::optional<int64_t> unit;
    };
    const Case kCases[] = {
        {"nothing given", {}, {}},
        {"amount left out, milliseconds", {}, 0},
        {"amount left out, hours", {}, 3},
        {"zero", 0, 1},
        {"negative", -5, 3},
        {"negative times negative unit", -2, -250},
        {"negative unit", 3, -250},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const auto start = Clock::now();
        EXPECT_TRUE(Pause(c.amount, c.unit));
        EXPECT_LT(Elapsed(start), milliseconds(200));
    }
}

TEST(Pause, WaitsAmountTimesUnit) {
    struct Case {
        int32_t amount;
        std::optional<int64_t> unit;
        milliseconds expected;
    };
    const Case kCases[] = {
        {60, {}, milliseconds(60)},
        {60, 0, milliseconds(60)},
        {3, 25, milliseconds(75)},
        {1, 1, milliseconds(1000)},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.amount << " x " << c.unit.value_or(-1));
        const auto start = Clock::now();
        EXPECT_TRUE(Pause(c.amount, c.unit));
        const milliseconds elapsed = Elapsed(start);
        EXPECT_GE(elapsed, c.expected);
        EXPECT_LT(elapsed, c.expected + milliseconds(1000));  // generous: the machine may be busy
    }
}

TEST(Pause, RunsEventsPostedDuringThePause) {
    const std::thread::id waiting = std::this_thread::get_id();
    std::atomic<bool> ran_on_waiting_thread = false;
    Clock::time_point posted, ran;
    std::thread poster([&] {
        std::this_thread::sleep_for(milliseconds(50));
        posted = Clock::now();
        platform::PostTask(waiting, [&] {
            ran = Clock::now();
            ran_on_waiting_thread = std::this_thread::get_id() == waiting;
        });
    });

    const auto start = Clock::now();
    Pause(600);
    const auto end = Clock::now();
    poster.join();

    ASSERT_TRUE(ran_on_waiting_thread);
    EXPECT_LT(ran, end);
    EXPECT_LT(ran - posted, milliseconds(300));  // at once, not at the end of the pause
    EXPECT_GE(end - start, milliseconds(600));
}

}  // namespace
}  // namespace qimbra

namespace qimbra {
namespace {

TEST(PauseUnlessStopped, WaitsItsTimeOrEndsWhenStopped) {
    using Clock = std::chrono::steady_clock;
    using std::chrono::milliseconds;
    std::atomic<bool> stop{false};

    auto start = Clock::now();
    EXPECT_TRUE(PauseUnlessStopped(120, &stop));
    EXPECT_GE(Clock::now() - start, milliseconds(120));
    EXPECT_TRUE(PauseUnlessStopped(60, nullptr));

    // Stopped from another thread while it waits: it ends soon after.
    start = Clock::now();
    std::thread stopper([&] {
        std::this_thread::sleep_for(milliseconds(50));
        stop = true;
    });
    EXPECT_FALSE(PauseUnlessStopped(5000, &stop));
    const auto waited = Clock::now() - start;
    stopper.join();
    EXPECT_GE(waited, milliseconds(50));
    EXPECT_LT(waited, milliseconds(1000));

    // Already stopped: it returns at once.
    start = Clock::now();
    EXPECT_FALSE(PauseUnlessStopped(5000, &stop));
    EXPECT_LT(Clock::now() - start, milliseconds(200));
}

// Tasks posted to the pausing thread still run while it waits.
TEST(PauseUnlessStopped, ProcessesEventsMeanwhile) {
    std::atomic<bool> stop{false};
    std::atomic<bool> ran{false};
    const auto me = std::this_thread::get_id();
    std::thread poster([&] {
        platform::PostTask(me, [&] {
            ran = true;
            stop = true;
        });
    });
    EXPECT_FALSE(PauseUnlessStopped(5000, &stop));
    poster.join();
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace qimbra
