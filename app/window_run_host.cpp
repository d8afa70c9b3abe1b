#include "app/window_run_host.h"

#include <utility>

#include "app/save_directory.h"

namespace qimbra {

WindowRunHost::WindowRunHost(Text folder, NoticeFunction notice, std::shared_ptr<ProgressBoard> board)
    : folder_(std::move(folder)), notice_(std::move(notice)), board_(std::move(board)) {
    if (board_) run_ = board_->NewRun();
}

Text WindowRunHost::ReadSaveFolderBox() { return folder_; }

void WindowRunHost::StoreSaveDirectory(const Text& directory) { SetSaveDirectory(directory); }

int32_t WindowRunHost::ShowNotice(const Text& message) { return notice_ ? notice_(message) : 0; }

void WindowRunHost::ReportProgress(const RunProgress& progress) {
    if (progress.finished) over_ = true;
    if (board_) board_->Report(run_, progress);
}

void WindowRunHost::ReportFailure(const RunFailure& failure) {
    if (board_) board_->ReportFailure(run_, failure);
}

}  // namespace qimbra
