#pragma once

#include <cstdint>
#include <optional>

#include "values/text.h"

class QWidget;

namespace qimbra {

// The id of this program's process.
[[nodiscard]] int64_t CurrentProcessId();

// The first top-level window of the program, in the window layer's order,
// that belongs to `process_id`, visible unless `visible_only` is false (left
// out: true). With `title_part` or `class_part` given, that first window is
// the result only when its title contains `title_part` and its class name
// contains `class_part` (exact case); otherwise there is no result, even if a
// later window would match. The search keeps passing over the windows,
// letting pending events be processed between passes, until one decides it
// or `time_limit_ms` has passed (left out or -1: 31536000 ms; 0: no window is
// looked at). Nothing found gives nullptr. Window thread only; nullptr
// anywhere else.
[[nodiscard]] QWidget* FindProcessWindow(int64_t process_id, const std::optional<Text>& title_part = std::nullopt,
                                         const std::optional<Text>& class_part = std::nullopt,
                                         std::optional<int32_t> time_limit_ms = std::nullopt,
                                         std::optional<bool> visible_only = std::nullopt);

// The owner for a notice: like FindProcessWindow for this process with
// `time_limit_ms` and no filters, but dialogs (other notices, the folder
// browser) are passed over as if hidden. A box owned by one of them would be
// destroyed together with it when it closes, long before its time.
[[nodiscard]] QWidget* FindNoticeOwner(int32_t time_limit_ms);

// The process that owns `window`: every window of the program is its own.
[[nodiscard]] int64_t WindowProcessId(const QWidget* window);

// The window's title.
[[nodiscard]] Text WindowTitle(const QWidget* window);

// The window's class name (its Qt class, "qimbra::MainWindow"), at most its
// first 49 bytes.
[[nodiscard]] Text WindowClassName(const QWidget* window);

}  // namespace qimbra
