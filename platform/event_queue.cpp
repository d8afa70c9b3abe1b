#include "platform/event_queue.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <unordered_map>

namespace qimbra::platform {
namespace {

// How often the window thread looks at its window events while it waits.
constexpr auto kWindowSlice = std::chrono::milliseconds(1);

struct EventQueues {
    std::mutex mutex;
    std::condition_variable posted;
    std::unordered_map<std::thread::id, std::deque<std::function<void()>>> tasks;
    std::thread::id window_thread;
    std::function<void()> window_pump;
};

// Never destroyed: detached worker threads may still post or pump while the
// process ends.
EventQueues& Queues() {
    static auto* queues = new EventQueues;
    return *queues;
}

std::function<void()> WindowPumpFor(std::thread::id thread) {
    EventQueues& queues = Queues();
    std::lock_guard lock(queues.mutex);
    if (!queues.window_pump || queues.window_thread != thread) return {};
    return queues.window_pump;
}

// Runs the tasks queued for `thread` when the call began, one at a time, so
// that a task may pump again and the order of posting is kept. Tasks posted
// meanwhile wait for the next call: a task that posts itself cannot starve
// the caller.
void RunQueuedTasks(std::thread::id thread) {
    EventQueues& queues = Queues();
    size_t budget = 0;
    {
        std::lock_guard lock(queues.mutex);
        // A queue is erased once it runs empty, so a found one holds tasks.
        auto found = queues.tasks.find(thread);
        if (found != queues.tasks.end()) budget = found->second.size();
    }
    for (; budget > 0; --budget) {
        std::function<void()> task;
        {
            std::lock_guard lock(queues.mutex);
            auto found = queues.tasks.find(thread);
            if (found == queues.tasks.end() || found->second.empty()) return;
            task = std::move(found->second.front());
            found->second.pop_front();
            if (found->second.empty()) queues.tasks.erase(found);
        }
        if (task) task();
    }
}

bool HasQueuedTasks(EventQueues& queues, std::thread::id thread) {
    auto found = queues.tasks.find(thread);
    return found != queues.tasks.end() && !found->second.empty();
}

}  // namespace

void PostTask(std::thread::id target, std::function<void()> task) {
    EventQueues& queues = Queues();
    {
        std::lock_guard lock(queues.mutex);
        queues.tasks[target].push_back(std::move(task));
    }
    queues.posted.notify_all();
}

void PumpThreadEvents() {
    const std::thread::id self = std::this_thread::get_id();
    if (auto pump = WindowPumpFor(self)) pump();
    RunQueuedTasks(self);
}

void WaitProcessingEvents(std::chrono::steady_clock::time_point deadline) {
    const std::thread::id self = std::this_thread::get_id();
    for (;;) {
        PumpThreadEvents();
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return;
        auto wake = deadline;
        // The window layer has no way to wake us, so look at it often.
        if (WindowPumpFor(self)) wake = std::min(deadline, now + kWindowSlice);
        EventQueues& queues = Queues();
        std::unique_lock lock(queues.mutex);
        queues.posted.wait_until(lock, wake, [&] { return HasQueuedTasks(queues, self); });
    }
}

void InstallWindowPump(std::thread::id window_thread, std::function<void()> pump) {
    EventQueues& queues = Queues();
    std::lock_guard lock(queues.mutex);
    queues.window_thread = window_thread;
    queues.window_pump = std::move(pump);
}

}  // namespace qimbra::platform
