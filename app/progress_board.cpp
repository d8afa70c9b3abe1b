#include "app/progress_board.h"

#include <utility>

#include "collect/progress_line.h"

namespace qimbra {

int64_t ProgressBoard::NewRun() {
    std::lock_guard lock(mutex_);
    failures_.clear();
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
    NotifyLocked();
}

void ProgressBoard::ReportFailure(int64_t run, const RunFailure& failure) {
    std::lock_guard lock(mutex_);
    if (run != last_run_) return;
    failures_.push_back(failure);
    NotifyLocked();
}

void ProgressBoard::Touch() {
    std::lock_guard lock(mutex_);
    NotifyLocked();
}

void ProgressBoard::NotifyLocked() {
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

std::optional<RunProgress> ProgressBoard::ShownLocked() const {
    if (!going_.empty()) return going_.rbegin()->second;
    return last_finished_;
}

Text ProgressBoard::TakeLine(RunProgress::Clock::time_point now) {
    std::lock_guard lock(mutex_);
    notified_ = false;
    const std::optional<RunProgress> shown = ShownLocked();
    return shown ? ProgressLine(*shown, now) : Text();
}

std::optional<RunProgress> ProgressBoard::Shown() {
    std::lock_guard lock(mutex_);
    return ShownLocked();
}

bool ProgressBoard::AnyGoing() {
    std::lock_guard lock(mutex_);
    return !going_.empty();
}

std::vector<RunFailure> ProgressBoard::Failures() {
    std::lock_guard lock(mutex_);
    return failures_;
}

size_t ProgressBoard::FailureCount() {
    std::lock_guard lock(mutex_);
    return failures_.size();
}

}  // namespace qimbra
