#include "platform/thread.h"

#include <system_error>
#include <thread>

namespace qimbra::platform {

void StartDetachedThread(std::function<void()> body) {
    try {
        std::thread(std::move(body)).detach();
    } catch (const std::system_error&) {
        // No thread could be started: like a failed thread creation, nothing runs.
    }
}

}  // namespace qimbra::platform
