#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "collect/run_host.h"
#include "values/text.h"

namespace qimbra {

// The latest reports of every run, for the main window's progress line, and
// the failures of the run started last. Workers report from their threads;
// the window reads on its own. The line follows the most recently started
// run that is still going; when none is going it shows the summary of the
// run that finished last; before any report it is empty.
class ProgressBoard {
  public:
    // A number for a run about to start; every later run gets a larger one.
    // The failures of earlier runs are forgotten.
    [[nodiscard]] int64_t NewRun();

    // Keeps `progress` as the latest state of `run`. The first report after
    // the line was last taken calls the notify callback, on the reporting
    // thread; it must only post a call and return. Never waits for the
    // window thread.
    void Report(int64_t run, const RunProgress& progress);
    // Adds `failure` to the list when `run` is the run started last; notifies
    // like Report.
    void ReportFailure(int64_t run, const RunFailure& failure);

    // Notifies like a report, without one: something else about the runs
    // changed.
    void Touch();

    // Replaces the notify callback (empty: none). Once this returns, the
    // earlier callback is not running and will not be called again.
    void SetNotify(std::function<void()> notify);

    // The line for the reports so far at the time `now` (code page 936). The
    // next report then notifies again.
    [[nodiscard]] Text TakeLine(RunProgress::Clock::time_point now = RunProgress::Clock::now());
    // The report the line follows; none before the first report.
    [[nodiscard]] std::optional<RunProgress> Shown();
    // True while some run has not finished.
    [[nodiscard]] bool AnyGoing();

    // The failures of the run started last, in the order they happened.
    [[nodiscard]] std::vector<RunFailure> Failures();
    [[nodiscard]] size_t FailureCount();

  private:
    void NotifyLocked();
    [[nodiscard]] std::optional<RunProgress> ShownLocked() const;

    std::mutex mutex_;
    int64_t last_run_ = 0;
    std::map<int64_t, RunProgress> going_;
    std::optional<RunProgress> last_finished_;
    std::vector<RunFailure> failures_;
    bool notified_ = false;
    std::function<void()> notify_;
};

}  // namespace qimbra
