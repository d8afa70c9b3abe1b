#include "app/window_logic.h"

#include <utility>

#include "app/failure_rows.h"
#include "app/save_directory.h"
#include "app/save_folder_box.h"
#include "collect/run_collection.h"
#include "platform/encoding.h"
#include "platform/thread.h"
#include "values/literal.h"

namespace qimbra {

WindowLogic::WindowLogic(WindowPorts ports) : ports_(std::move(ports)) { board_->SetNotify(ports_.state_changed); }

WindowLogic::~WindowLogic() {
    // Runs may outlive the window; after this no report calls back into it.
    board_->SetNotify({});
}

void WindowLogic::SetRunSettings(const RunSettings& settings) { settings_ = settings; }

std::optional<std::u16string> WindowLogic::StartClicked(std::u16string_view box_text, std::u16string_view home_folder) {
    if (!settings_) return std::nullopt;
    const BoxFolder folder = ReadBoxFolder(box_text, home_folder);
    if (folder.kind == BoxFolder::Kind::kNotInCodePage) {
        // The notice blocks whoever shows it; the window thread goes on.
        platform::StartDetachedThread([notice = ports_.show_notice] {
            if (notice) notice(NotInCodePageNotice());
        });
        return std::nullopt;
    }
    OnStartClicked(*settings_, std::make_shared<WindowRunHost>(folder.folder, ports_.show_notice, board_));
    if (folder.kind == BoxFolder::Kind::kFolder && folder.full_path != box_text) return folder.full_path;
    return std::nullopt;
}

std::optional<std::u16string> WindowLogic::FolderChosen(const Text& chosen) {
    if (chosen.empty()) return std::nullopt;
    SetSaveDirectory(chosen);
    return platform::Cp936ToUtf16(chosen.view());
}

WindowState WindowLogic::State(RunProgress::Clock::time_point now) {
    static const Text kStart = Cp936("开始采集");
    WindowState state;
    state.start_button_text = kStart;
    state.progress_line = board_->TakeLine(now);
    state.failures_button_shown = board_->FailureCount() > 0;
    state.ticking = board_->AnyGoing();
    return state;
}

Text WindowLogic::FailuresText() { return FailureListText(board_->Failures()); }

}  // namespace qimbra
