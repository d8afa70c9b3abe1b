#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

#include "collect/run_failure.h"
#include "values/text.h"

namespace qimbra {

// Where a run stands, as it tells its host (see RunHost::ReportProgress).
// Indexes are 1-based positions; 0 means "not reached yet". Images that were
// tried add up: images_saved + images_failed + images_existing.
struct RunProgress {
    using Clock = std::chrono::steady_clock;

    int32_t entry_index = 0;      // the entry being worked on
    int32_t entry_count = 0;      // entries found on the archive page
    Text entry_title{};           // the title of that entry, as listed
    int32_t image_index = 0;      // the image of the entry last dealt with
    int32_t image_count = 0;      // images listed on the current entry page
    int32_t entries_failed = 0;   // entry pages that could not be read
    int32_t images_saved = 0;     // image files written so far in this run
    int32_t images_failed = 0;    // images that could not be got or written
    int32_t images_existing = 0;  // images skipped since a picture was saved already
    // When the request the run is waiting on was sent; none between requests.
    std::optional<Clock::time_point> request_started{};
    // Until when the run waits because the server asked it to.
    std::optional<Clock::time_point> retry_until{};
    bool finished = false;  // the run has ended, see the fields below
    bool stopped = false;   // it ended because it was asked to stop
    // A run that could not go through its entries: the notice it showed.
    Text problem{};
};

// What a collection run needs from the program around it: the save-folder
// box, the shared save directory, the notices, and a place to report
// progress and failures. Every call comes from the run's own worker thread;
// an implementation that shares state with other threads guards it itself.
class RunHost {
  public:
    virtual ~RunHost() = default;

    // The save folder for this run (code page 936), empty when none is set.
    // Read once, when the run starts.
    virtual Text ReadSaveFolderBox() = 0;
    // Replaces the program's save directory.
    virtual void StoreSaveDirectory(const Text& directory) = 0;
    // Shows `message` in a self-closing notice and returns once it has
    // closed; the result is the notice's own answer.
    virtual int32_t ShowNotice(const Text& message) = 0;

    // Called as the run moves on: before and after each request, when each
    // entry starts, after each image and once at the end (with `finished`
    // true). Not called for a run that stops at an empty save-folder box.
    // Must not block for long; the default ignores the reports.
    virtual void ReportProgress(const RunProgress& progress) { (void)progress; }
    // Called once for every entry page or image that failed, as it fails.
    // Must not block for long; the default ignores it.
    virtual void ReportFailure(const RunFailure& failure) { (void)failure; }
    // A flag that asks the run to stop when it becomes true: the request in
    // flight is abandoned, a pause ends, nothing more is fetched or written.
    // It must outlive the run. None (the default): the run is never stopped.
    virtual const std::atomic<bool>* StopFlag() { return nullptr; }
};

}  // namespace qimbra
