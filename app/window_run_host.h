#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/progress_board.h"
#include "collect/run_host.h"
#include "values/text.h"

namespace qimbra {

// What a collection run started from the window gets, from its worker
// thread: the save folder fixed when it was started, the shared
// SaveDirectory, the shell's self-closing notice, the window's progress
// board (none: reports are ignored) and a stop flag. Made when the run is
// started, which fixes the run's place among the runs on the board.
class WindowRunHost : public RunHost {
  public:
    // Shows a self-closing notice and returns its answer once it closed.
    using NoticeFunction = std::function<int32_t(const Text& message)>;

    WindowRunHost(Text folder, NoticeFunction notice, std::shared_ptr<ProgressBoard> board = nullptr);

    Text ReadSaveFolderBox() override;
    void StoreSaveDirectory(const Text& directory) override;
    int32_t ShowNotice(const Text& message) override;
    void ReportProgress(const RunProgress& progress) override;
    void ReportFailure(const RunFailure& failure) override;
    const std::atomic<bool>* StopFlag() override { return &stop_; }

    // Asks the run to stop; from any thread.
    void Stop() { stop_ = true; }
    // Called once the run's body has returned; from any thread.
    void MarkEnded() { over_ = true; }
    // True from the start until the run reported its end or its body
    // returned, whichever comes first.
    [[nodiscard]] bool Going() const { return !over_; }
    // The save folder the run was started with.
    [[nodiscard]] const Text& folder() const { return folder_; }

  private:
    const Text folder_;
    const NoticeFunction notice_;
    const std::shared_ptr<ProgressBoard> board_;
    int64_t run_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> over_{false};
};

}  // namespace qimbra
