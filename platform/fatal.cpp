#include "platform/fatal.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace qimbra::platform {
namespace {

struct FatalHook {
    std::mutex mutex;
    std::function<void(std::string_view)> show_box;
};

// Never destroyed: a worker thread may raise the error while the process ends.
FatalHook& Hook() {
    static auto* hook = new FatalHook;
    return *hook;
}

std::atomic<bool> reporting{false};
std::atomic<std::thread::id> reporting_thread{};

}  // namespace

void FatalError(std::string_view message) {
    std::fprintf(stderr, "Qimbra: run-time error: %.*s\n", static_cast<int>(message.size()), message.data());
    std::fflush(stderr);
    // Only the first report shows a box. A second error on the thread showing
    // it ends the process at once; one on another thread waits for the box.
    if (reporting.exchange(true)) {
        if (reporting_thread.load() != std::this_thread::get_id()) {
            for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
        }
    } else {
        reporting_thread.store(std::this_thread::get_id());
        std::function<void(std::string_view)> show_box;
        {
            std::lock_guard lock(Hook().mutex);
            show_box = Hook().show_box;
        }
        if (show_box) show_box(message);
    }
    std::_Exit(-1);
}

void SetFatalErrorHook(std::function<void(std::string_view message)> show_box) {
    std::lock_guard lock(Hook().mutex);
    Hook().show_box = std::move(show_box);
}

}  // namespace qimbra::platform
