#pragma once

#include <functional>
#include <string_view>

namespace qimbra::platform {

// Reports the fatal run-time error `message` (UTF-8) and ends the process
// with exit code -1. The message always goes to stderr; when the window layer
// has installed a hook, the hook shows it in a modal box first.
[[noreturn]] void FatalError(std::string_view message);

// Installs the call that shows the fatal error's modal box; it returns when
// the box was closed.
void SetFatalErrorHook(std::function<void(std::string_view message)> show_box);

}  // namespace qimbra::platform
