#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace qimbra::platform {

// Every thread has a queue of tasks that other threads may post to. A task
// runs on its target thread, inside that thread's PumpThreadEvents (or while
// it waits in WaitForThreadEvents), in the order the tasks were posted.
void PostTask(std::thread::id target, std::function<void()> task);

// Runs every task queued for the calling thread, then returns; never waits.
// On the window thread (see InstallWindowPump) it also lets the window layer
// process its pending events.
void PumpThreadEvents();

// Waits until `deadline`, running the calling thread's tasks (and, on the
// window thread, its window events) as soon as they arrive. Returns when the
// deadline has passed.
void WaitProcessingEvents(std::chrono::steady_clock::time_point deadline);

// Declares `window_thread` the thread of the window layer and `pump` the call
// that processes its pending window events without waiting. Installed once by
// the window layer at start-up.
void InstallWindowPump(std::thread::id window_thread, std::function<void()> pump);

}  // namespace qimbra::platform
