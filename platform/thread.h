#pragma once

#include <functional>

namespace qimbra::platform {

// Starts a detached thread running `body`. Nothing waits for it: the process
// may end while it still runs.
void StartDetachedThread(std::function<void()> body);

}  // namespace qimbra::platform
