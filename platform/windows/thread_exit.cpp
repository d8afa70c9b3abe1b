#include <windows.h>

#include <utility>
#include <vector>

#include "platform/thread.h"

namespace qimbra::platform {

namespace {

using Cleanups = std::vector<std::function<void()>>;

// The list lives on the heap and is reached through a fiber-local slot whose
// callback the system runs at thread exit, independent of the compiler's
// thread_local storage.
void WINAPI RunCleanups(void* data) {
    auto* cleanups = static_cast<Cleanups*>(data);
    if (cleanups == nullptr) return;
    while (!cleanups->empty()) {
        std::function<void()> call = std::move(cleanups->back());
        cleanups->pop_back();
        call();
    }
    delete cleanups;
}

DWORD Slot() {
    static const DWORD slot = FlsAlloc(RunCleanups);
    return slot;
}

}  // namespace

void AtThreadExit(std::function<void()> cleanup) {
    const DWORD slot = Slot();
    if (slot == FLS_OUT_OF_INDEXES) return;  // the cleanup is skipped: a leak, not a fault
    auto* cleanups = static_cast<Cleanups*>(FlsGetValue(slot));
    if (cleanups == nullptr) {
        cleanups = new Cleanups;
        if (!FlsSetValue(slot, cleanups)) {
            delete cleanups;
            return;
        }
    }
    cleanups->push_back(std::move(cleanup));
}

}  // namespace qimbra::platform
