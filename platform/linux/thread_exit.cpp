#include <utility>
#include <vector>

#include "platform/thread.h"

namespace qimbra::platform {

namespace {

struct Cleanups {
    std::vector<std::function<void()>> calls;
    ~Cleanups() {
        while (!calls.empty()) {
            std::function<void()> call = std::move(calls.back());
            calls.pop_back();
            call();
        }
    }
};

}  // namespace

void AtThreadExit(std::function<void()> cleanup) {
    thread_local Cleanups cleanups;
    cleanups.calls.push_back(std::move(cleanup));
}

}  // namespace qimbra::platform
