#pragma once

#include <functional>

namespace qimbra::platform {

// Starts a detached thread running `body`. Nothing waits for it: the process
// may end while it still runs.
void StartDetachedThread(std::function<void()> body);

// Runs `cleanup` when the calling thread ends, after its own code has
// returned; cleanups run in the reverse order of their registration. Use it
// instead of a thread_local object with a destructor: on Windows such
// destructors may run after the thread's thread_local storage was freed.
// The cleanup must not touch thread_local variables.
void AtThreadExit(std::function<void()> cleanup);

}  // namespace qimbra::platform
