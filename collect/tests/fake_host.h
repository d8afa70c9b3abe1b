// A RunHost for tests: a save-folder box and a save directory held in memory,
// notices recorded (and answered at once), progress reports kept.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "collect/run_host.h"
#include "values/text.h"

namespace qimbra::collect_tests {

class FakeHost : public RunHost {
  public:
    explicit FakeHost(Text box_text = Text()) : box_text_(std::move(box_text)) {}

    Text ReadSaveFolderBox() override {
        std::lock_guard lock(mutex_);
        ++box_reads_;
        return box_text_;
    }
    void StoreSaveDirectory(const Text& directory) override {
        std::lock_guard lock(mutex_);
        save_directory_ = directory;
        ++stores_;
    }
    int32_t ShowNotice(const Text& message) override {
        std::lock_guard lock(mutex_);
        notices_.push_back(message);
        notice_times_.push_back(std::chrono::steady_clock::now());
        changed_.notify_all();
        return 0;
    }
    void ReportProgress(const RunProgress& progress) override {
        std::lock_guard lock(mutex_);
        reports_.push_back(progress);
    }
    void ReportFailure(const RunFailure& failure) override {
        std::lock_guard lock(mutex_);
        failures_.push_back(failure);
    }
    const std::atomic<bool>* StopFlag() override { return &stop_; }

    // Asks the run to stop.
    void Stop() { stop_ = true; }

    // Replaces the save directory, as the folder browser does meanwhile.
    void SetSaveDirectory(const Text& directory) {
        std::lock_guard lock(mutex_);
        save_directory_ = directory;
    }
    // Waits until `count` notices were shown; false on time-out.
    bool WaitForNotices(size_t count, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return notices_.size() >= count; });
    }

    std::vector<Text> Notices() const { return Locked(notices_); }
    std::vector<std::chrono::steady_clock::time_point> NoticeTimes() const { return Locked(notice_times_); }
    std::vector<RunProgress> Reports() const { return Locked(reports_); }
    std::vector<RunFailure> Failures() const { return Locked(failures_); }
    // The last report; a default one when there was none.
    RunProgress Last() const {
        std::lock_guard lock(mutex_);
        return reports_.empty() ? RunProgress() : reports_.back();
    }
    Text SaveDirectory() const { return Locked(save_directory_); }
    int BoxReads() const { return Locked(box_reads_); }
    int Stores() const { return Locked(stores_); }

  private:
    // A copy of `field`, taken under the lock.
    template <typename T>
    T Locked(const T& field) const {
        std::lock_guard lock(mutex_);
        return field;
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Text box_text_;
    Text save_directory_;
    int box_reads_ = 0;
    int stores_ = 0;
    std::vector<Text> notices_;
    std::vector<std::chrono::steady_clock::time_point> notice_times_;
    std::vector<RunProgress> reports_;
    std::vector<RunFailure> failures_;
    std::atomic<bool> stop_{false};
};

}  // namespace qimbra::collect_tests
