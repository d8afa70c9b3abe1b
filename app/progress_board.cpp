#include "app/progress_board.h"

#include <utility>

#include "collect/progress_line.h"

namespace qimbra {

int64_t ProgressBoard::NewRun() {
    std::lock_guard lock(mutex_);
    return ++last_run_;
}

void ProgressBoard::Report(int64_t run, const RunProgress& progress) {
    std::lock_guard lock(mutex_);
    if (progress.finished) {
        going_.erase(run);
        last_finished_ = progress;
    } else {
        going_[run] = progress;
    }
    if (!notified_ && notify_) {
        notified_ = true;
        notify_();
    }
}

void ProgressBoard::SetNotify(std::function<void()> notify) {
    std::lock_guard lock(mutex_);
    notify_ = std::move(notify);
    notified_ = false;
}

Text ProgressBoard::TakeLine() {
    std::lock_guard lock(mutex_);
    notified_ = false;
    if (!going_.empty()) return ProgressLine(going_.rbegin()->second);
    if (last_finished_) return ProgressLine(*last_finished_);
    return Text();
}

}  // namespace qimbra
