#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/progress_board.h"
#include "app/window_run_host.h"
#include "collect/run_failure.h"
#include "collect/run_settings.h"
#include "values/text.h"

namespace qimbra {

// What the window shows, as its logic decides it (texts in code page 936).
// A shell draws it and nothing else.
struct WindowState {
    Text start_button_text;              // "开始采集"
    Text progress_line;                  // see ProgressLine
    bool failures_button_shown = false;  // "查看失败": the last run has failures
    // The line changes with time (a run is going): draw it again once a
    // second even without news.
    bool ticking = false;
};

// What the logic needs from the shell around it.
struct WindowPorts {
    // Shows a self-closing notice and returns once it closed. Called from
    // worker threads, never from the window thread.
    WindowRunHost::NoticeFunction show_notice;
    // Called from any thread when the state may have changed; must only post
    // a call to the window thread and return.
    std::function<void()> state_changed;
};

// The main window's behaviour, free of any toolkit: what a click does, the
// box rules, the progress line, the failure list. Everything but the
// constructor's ports runs on the window thread.
class WindowLogic {
  public:
    explicit WindowLogic(WindowPorts ports);
    ~WindowLogic();
    WindowLogic(const WindowLogic&) = delete;
    WindowLogic& operator=(const WindowLogic&) = delete;

    // The gallery and pacing of the runs the start button starts; until they
    // are set, a click does nothing.
    void SetRunSettings(const RunSettings& settings);

    // The start button was clicked with `box_text` in the save-folder box
    // (`home_folder`: the user's home, absolute). By the box rules
    // (ReadBoxFolder): a folder code page 936 cannot name shows its notice
    // and starts nothing; otherwise a run starts with the folder fixed now (an
    // empty box: the run shows the missing-folder notice). Returns the text
    // the box should show from now on when it changes: the full path.
    std::optional<std::u16string> StartClicked(std::u16string_view box_text, std::u16string_view home_folder);

    // The folder browser gave `chosen`; empty when it was cancelled, which
    // changes nothing. A choice becomes SaveDirectory for the next run, and
    // the returned text is what the box should show.
    std::optional<std::u16string> FolderChosen(const Text& chosen);

    [[nodiscard]] WindowState State(RunProgress::Clock::time_point now = RunProgress::Clock::now());

    // The failures of the run started last, and the same as text to copy.
    [[nodiscard]] std::vector<RunFailure> Failures() { return board_->Failures(); }
    [[nodiscard]] Text FailuresText();

    // Where the runs report. For tests.
    [[nodiscard]] const std::shared_ptr<ProgressBoard>& board() const { return board_; }

  private:
    WindowPorts ports_;
    std::optional<RunSettings> settings_;
    std::shared_ptr<ProgressBoard> board_ = std::make_shared<ProgressBoard>();
};

}  // namespace qimbra
