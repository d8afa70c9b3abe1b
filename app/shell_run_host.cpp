#include "app/shell_run_host.h"

#include <utility>

#include "app/save_directory.h"
#include "app/timed_notice.h"

namespace qimbra {

ShellRunHost::ShellRunHost(std::shared_ptr<ProgressBoard> board) : board_(std::move(board)) {
    if (board_) run_ = board_->NewRun();
}

Text ShellRunHost::ReadSaveFolderBox() { return qimbra::ReadSaveFolderBox(); }

void ShellRunHost::StoreSaveDirectory(const Text& directory) { SetSaveDirectory(directory); }

Text ShellRunHost::ReadSaveDirectory() { return SaveDirectory(); }

int32_t ShellRunHost::ShowNotice(const Text& message) { return TimedNotice(message); }

void ShellRunHost::ReportProgress(const RunProgress& progress) {
    if (board_) board_->Report(run_, progress);
}

}  // namespace qimbra
