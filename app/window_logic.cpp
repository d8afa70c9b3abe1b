#include "app/window_logic.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "app/failure_rows.h"
#include "app/save_directory.h"
#include "app/save_folder_box.h"
#include "collect/run_collection.h"
#include "platform/encoding.h"
#include "platform/files.h"
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
    if (RunGoing()) {
        run_->Stop();
        return std::nullopt;
    }
    const BoxFolder folder = ReadBoxFolder(box_text, home_folder);
    if (folder.kind == BoxFolder::Kind::kNotInCodePage) {
        RefuseFolder();
        return std::nullopt;
    }
    StartRun(folder.folder);
    if (folder.kind == BoxFolder::Kind::kFolder && folder.full_path != box_text) return folder.full_path;
    return std::nullopt;
}

void WindowLogic::StartRun(const Text& folder) {
    RunSettings settings = *settings_;
    settings.skip_saved_images = skip_saved_images_;
    run_ = std::make_shared<WindowRunHost>(folder, ports_.show_notice, board_);
    // The thread keeps the host alive; the window learns of the end through
    // the board's notify, which is cut off once the window is gone.
    platform::StartDetachedThread([settings = std::move(settings), host = run_, board = board_] {
        RunCollection(settings, *host);
        host->MarkEnded();
        board->Touch();
    });
}

void WindowLogic::RefuseFolder() {
    // The notice blocks whoever shows it; the window thread goes on.
    platform::StartDetachedThread([notice = ports_.show_notice] {
        if (notice) notice(NotInCodePageNotice());
    });
}

std::optional<std::u16string> WindowLogic::FolderChosen(const std::optional<Text>& chosen) {
    if (!chosen) {
        RefuseFolder();
        return std::nullopt;
    }
    if (chosen->empty()) return std::nullopt;
    SetSaveDirectory(*chosen);
    return platform::Cp936ToUtf16(chosen->view());
}

Text WindowLogic::BrowserStartFolder(std::u16string_view box_text, std::u16string_view home_folder) const {
    static constexpr char kSeparators[] = {'/', platform::kPathSeparator, '\0'};
    const BoxFolder folder = ReadBoxFolder(box_text, home_folder);
    std::string_view path = folder.kind == BoxFolder::Kind::kFolder ? folder.folder.view() : std::string_view();
    // Up the path, one part at a time, to the first folder that exists.
    while (!path.empty() && !platform::IsDirectory(platform::NativePath(path))) {
        const size_t separator = path.find_last_of(kSeparators);
        path =
            separator == std::string_view::npos ? std::string_view() : path.substr(0, std::max<size_t>(separator, 1));
    }
    if (!path.empty()) return Text(path);
    Text home;
    return ExactCp936(home_folder, home) ? home : Text();
}

WindowState WindowLogic::State(RunProgress::Clock::time_point now) {
    static const Text kStart = Cp936("开始采集");
    static const Text kStop = Cp936("停止");
    const bool going = RunGoing();
    WindowState state;
    state.start_button_text = going ? kStop : kStart;
    state.progress_line = board_->TakeLine(now);
    state.failures_button_shown = board_->FailureCount() > 0;
    state.open_folder_shown =
        !going && !RunFolder().empty() && platform::IsDirectory(platform::NativePath(RunFolder().view()));
    if (state.open_folder_shown) state.progress_tooltip = RunFolder();
    state.ticking = going;
    return state;
}

Text WindowLogic::FailuresText() { return FailureListText(board_->Failures()); }

}  // namespace qimbra
