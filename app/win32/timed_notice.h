#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "values/text.h"

namespace qimbra {

// Shows `message` under the title "友情提醒" in the system's message box
// (one OK button), owned by `owner` (none: the main window, see
// SetNoticeOwner), which closes itself after `timeout_ms` milliseconds
// (0 closes it at once, a negative value never). The box runs on the calling
// thread, any thread, which waits until it closes. Returns 0 when OK was
// pressed, 31999 when the box closed itself and -1 when it could not be
// shown. The time-out is a timer of the box's own thread: it does not rely on
// MessageBoxTimeout, which some systems do not honour.
int32_t TimedNotice(const Text& message, std::optional<HWND> owner = std::nullopt, int32_t timeout_ms = 5000);

// The window that owns notices shown without an owner; nullptr: none.
void SetNoticeOwner(HWND owner);

}  // namespace qimbra
