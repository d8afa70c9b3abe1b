#pragma once

#include <cstdint>
#include <memory>

#include "app/progress_board.h"
#include "collect/run_host.h"
#include "values/text.h"

namespace qimbra {

// What a collection run gets from the shell, from its worker thread: the
// save-folder box's text as last edited, the shared SaveDirectory, the timed
// notice with its defaults, and the progress line's board (none: reports are
// ignored). Made when the run is started, which fixes the run's place among
// the runs on the board.
class ShellRunHost : public RunHost {
  public:
    explicit ShellRunHost(std::shared_ptr<ProgressBoard> board = nullptr);

    Text ReadSaveFolderBox() override;
    void StoreSaveDirectory(const Text& directory) override;
    Text ReadSaveDirectory() override;
    int32_t ShowNotice(const Text& message) override;
    void ReportProgress(const RunProgress& progress) override;

  private:
    std::shared_ptr<ProgressBoard> board_;
    int64_t run_ = 0;
};

}  // namespace qimbra
