#pragma once

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace qimbra {

// The answers of a message box, in the numbers the program's callers know.
inline constexpr int32_t kBoxFailed = 0;
inline constexpr int32_t kBoxOk = 1;
inline constexpr int32_t kBoxCancel = 2;
inline constexpr int32_t kBoxAbort = 3;
inline constexpr int32_t kBoxRetry = 4;
inline constexpr int32_t kBoxIgnore = 5;
inline constexpr int32_t kBoxYes = 6;
inline constexpr int32_t kBoxNo = 7;
inline constexpr int32_t kBoxTimedOut = 32000;

// The style word's parts that a box understands: the button set in the low
// four bits (0 OK, 1 OK and Cancel, 2 Abort, Retry and Ignore, 3 Yes, No and
// Cancel, 4 Yes and No, 5 Retry and Cancel; others give OK), the icon in the
// next four (0x10 error, 0x20 question, 0x30 warning, 0x40 information) and
// the default button's index in the next four (0x100 the second, 0x200 the
// third).
// The texts are UTF-16 of the standard library's, not QString: a request
// crosses threads, and no implicitly shared Qt data should go with it.
struct NoticeBoxRequest {
    std::u16string message;  // shown as plain text, never as markup
    std::u16string title;
    uint32_t style = 0;
    // Called on the window thread right before the box is built; the window
    // it gives (or none) owns the box, which then blocks input to it.
    std::function<QWidget*()> find_owner;
    // The box closes itself after this many milliseconds; 0 closes it at
    // once, a negative value never.
    int32_t timeout_ms = -1;
};

// Shows the box on the window thread, from any thread, and blocks the calling
// thread until it closes. On the window thread itself a local event loop runs
// meanwhile. Returns the answer of the button pressed, kBoxTimedOut when the
// box closed itself, and kBoxFailed when it could not be shown or the program
// ended first: once the event loop has ended, every waiting caller is set free
// and every later call returns at once.
int32_t ShowNoticeBox(const NoticeBoxRequest& request);

// Declares the program's end for ShowNoticeBox (see above). Called once the
// event loop has returned.
void EndNoticeBoxes();

}  // namespace qimbra
