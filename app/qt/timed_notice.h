#pragma once

#include <cstdint>
#include <optional>

#include "values/text.h"

class QWidget;

namespace qimbra {

// Shows `message` (left out: nothing) under `title` (left out: "友情提醒") in
// a box of `style` (left out: 0, one OK button, no icon) that closes itself
// after `timeout_ms` (left out: 5000; 0 closes it at once, a negative value
// never). The box belongs to `owner`; when that is left out, to the first
// visible window of the program that FindNoticeOwner finds within 1000 ms
// (never another notice), and to none if there is none. nullptr asks for no
// owner. An owned box blocks input to its owner while it is open.
//
// Callable from any thread: the box is built and shown on the window thread,
// and the calling thread blocks until it closes. Returns 0 when OK was
// pressed, 31999 when the box closed itself, another button's answer minus 1
// for other styles, and -1 when the box could not be shown or the program
// ended while it waited (then it returns at once).
int32_t TimedNotice(const std::optional<Text>& message = std::nullopt, std::optional<uint32_t> style = std::nullopt,
                    const std::optional<Text>& title = std::nullopt, std::optional<QWidget*> owner = std::nullopt,
                    std::optional<int32_t> timeout_ms = std::nullopt);

}  // namespace qimbra
