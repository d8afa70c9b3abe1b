#include "platform/event_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/thread.h"

namespace qimbra::platform {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

TEST(EventQueue, PumpRunsTasksPostedFromOtherThreadsInOrder) {
    PumpThreadEvents();  // empty queue: returns at once
    std::vector<int> ran;
    const auto self = std::this_thread::get_id();
    std::thread poster([&] {
        for (int i = 1; i <= 3; ++i) PostTask(self, [&ran, i] { ran.push_back(i); });
    });
    poster.join();
    EXPECT_TRUE(ran.empty());  // nothing runs outside a pump
    PumpThreadEvents();
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

TEST(EventQueue, TasksOfOtherThreadsStayQueued) {
    std::atomic<int> ran{0};
    std::thread other([&] {
        PostTask(std::this_thread::get_id(), [&] { ++ran; });
        std::this_thread::sleep_for(milliseconds(5));
    });
    other.join();
    PumpThreadEvents();
    EXPECT_EQ(ran.load(), 0);
}

TEST(EventQueue, TaskThatPostsItselfDoesNotHoldThePump) {
    const auto self = std::this_thread::get_id();
    int ran = 0;
    std::function<void()> again = [&] {
        ++ran;
        PostTask(self, again);
    };
    PostTask(self, again);
    PumpThreadEvents();
    EXPECT_EQ(ran, 1);
    PumpThreadEvents();
    EXPECT_EQ(ran, 2);
    // Drop what is left.
    again = [] {};
    PumpThreadEvents();
}

TEST(EventQueue, WaitRunsTasksAsTheyArriveUntilDeadline) {
    const auto self = std::this_thread::get_id();
    std::atomic<bool> ran{false};
    steady_clock::time_point ran_at;
    const auto start = steady_clock::now();
    StartDetachedThread([&, self] {
        std::this_thread::sleep_for(milliseconds(30));
        PostTask(self, [&] {
            ran_at = steady_clock::now();
            ran = true;
        });
    });
    WaitProcessingEvents(start + milliseconds(300));
    const auto end = steady_clock::now();
    ASSERT_TRUE(ran.load());
    EXPECT_LT(ran_at - start, milliseconds(200));  // ran when it came, not at the deadline
    EXPECT_GE(end - start, milliseconds(300));
}

TEST(EventQueue, WaitOnWindowThreadCallsThePumpOften) {
    int pumped = 0;
    InstallWindowPump(std::this_thread::get_id(), [&] { ++pumped; });
    WaitProcessingEvents(steady_clock::now() + milliseconds(50));
    const int during_wait = pumped;
    PumpThreadEvents();
    InstallWindowPump(std::thread::id(), nullptr);
    EXPECT_GE(during_wait, 10);
    EXPECT_EQ(pumped, during_wait + 1);
    PumpThreadEvents();  // no pump installed any more
    EXPECT_EQ(pumped, during_wait + 1);
}

TEST(EventQueue, PastDeadlineStillRunsWhatIsQueued) {
    int ran = 0;
    PostTask(std::this_thread::get_id(), [&] { ++ran; });
    WaitProcessingEvents(steady_clock::now() - milliseconds(1));
    EXPECT_EQ(ran, 1);
}

}  // namespace
}  // namespace qimbra::platform
