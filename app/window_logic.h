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
    Text start_button_text;  // "开始采集", or "停止" while a run goes
    Text progress_line;      // see ProgressLine
    // The progress line's tooltip: the full path of the last run's folder
    // once it has ended; empty otherwise.
    Text progress_tooltip;
    bool failures_button_shown = false;  // "查看失败": the last run has failures
    bool open_folder_shown = false;      // "打开文件夹": a run has ended with a folder
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
// box rules, the progress line, the failure list. One run goes at a time.
// Everything but the constructor's ports runs on the window thread.
class WindowLogic {
  public:
    explicit WindowLogic(WindowPorts ports);
    ~WindowLogic();
    WindowLogic(const WindowLogic&) = delete;
    WindowLogic& operator=(const WindowLogic&) = delete;

    // The gallery and pacing of the runs the start button starts; until they
    // are set, a click does nothing.
    void SetRunSettings(const RunSettings& settings);
    // The "跳过已保存的图片" check box (checked at first): the next run does
    // not fetch an image whose file already holds a picture.
    void SetSkipSavedImages(bool skip) { skip_saved_images_ = skip; }
    [[nodiscard]] bool skip_saved_images() const { return skip_saved_images_; }

    // The start button was clicked with `box_text` in the save-folder box
    // (`home_folder`: the user's home, absolute). While a run goes, the click
    // stops it. Otherwise, by the box rules (ReadBoxFolder): a folder code
    // page 936 cannot name shows its notice and starts nothing; else a run
    // starts with the folder fixed now (an empty box: the run shows the
    // missing-folder notice). Returns the text the box should show from now
    // on when it changes: the full path.
    std::optional<std::u16string> StartClicked(std::u16string_view box_text, std::u16string_view home_folder);

    // The folder browser gave `chosen`: empty when it was cancelled, which
    // changes nothing; none when the folder's path has a character code page
    // 936 cannot hold, which shows the same notice as such a box and changes
    // nothing either. A choice becomes SaveDirectory for the next run, and the
    // returned text is what the box should show.
    std::optional<std::u16string> FolderChosen(const std::optional<Text>& chosen);

    // Where the folder browser opens: the box's folder or its nearest
    // existing parent; the home folder when the box names none.
    [[nodiscard]] Text BrowserStartFolder(std::u16string_view box_text, std::u16string_view home_folder) const;

    [[nodiscard]] WindowState State(RunProgress::Clock::time_point now = RunProgress::Clock::now());
    // True while a run goes.
    [[nodiscard]] bool RunGoing() const { return run_ && run_->Going(); }
    // The folder of the run started last (empty before the first run).
    [[nodiscard]] Text RunFolder() const { return run_ ? run_->folder() : Text(); }

    // The failures of the run started last, and the same as text to copy.
    [[nodiscard]] std::vector<RunFailure> Failures() { return board_->Failures(); }
    [[nodiscard]] Text FailuresText();

    // Where the runs report. For tests.
    [[nodiscard]] const std::shared_ptr<ProgressBoard>& board() const { return board_; }

  private:
    void StartRun(const Text& folder);
    // Shows the notice for a folder code page 936 cannot name.
    void RefuseFolder();

    WindowPorts ports_;
    std::optional<RunSettings> settings_;
    bool skip_saved_images_ = true;
    std::shared_ptr<ProgressBoard> board_ = std::make_shared<ProgressBoard>();
    std::shared_ptr<WindowRunHost> run_;  // the run started last
};

}  // namespace qimbra
