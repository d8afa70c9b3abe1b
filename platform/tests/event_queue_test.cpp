#include "platform/event_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
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
    // Static: the task stays queued for a thread that is gone.
    static std::atomic<int> ran{0};
    std::thread other([] {
        PostTask(std::this_thread::get_id(), [] { ++ran; });
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
    auto ran_at = std::make_shared<std::optional<steady_clock::time_point>>();
    const auto start = steady_clock::now();
    StartDetachedThread([self, ran_at] {
        std::this_thread::sleep_for(milliseconds(30));
        PostTask(self, [ran_at] { *ran_at = steady_clock::now(); });
    });
    WaitProcessingEvents(start + milliseconds(300));
    EXPECT_GE(steady_clock::now() - start, milliseconds(300));
    // On a very busy machine the poster may come late; do not leave its task behind.
    for (int i = 0; i < 100 && !ran_at->has_value(); ++i) WaitProcessingEvents(steady_clock::now() + milliseconds(50));
    ASSERT_TRUE(ran_at->has_value());
    EXPECT_LT(**ran_at - start, milliseconds(250));  // ran when it came, not at the deadline
}

TEST(EventQueue, WaitOnWindowThreadCallsThePumpOften) {
    int pumped = 0;
    InstallWindowPump(std::this_thread::get_id(), [&] { ++pumped; });
    WaitProcessingEvents(steady_clock::now() + milliseconds(50));
    const int during_wait = pumped;
    PumpThreadEvents();
    InstallWindowPump(std::thread::id(), nullptr);
    EXPECT_GE(during_wait, 5);
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
