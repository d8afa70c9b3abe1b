#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "app/window_layout.h"
#include "app/window_logic.h"
#include "values/text.h"

namespace qimbra {

// The text the save-folder box starts with (see WindowsDefaultSaveFolder):
// "D:\Veloni采集图片" when a drive D: exists, otherwise the user's Pictures
// folder followed by "\Veloni采集图片".
[[nodiscard]] Text DefaultSaveFolderText();

// The user's profile folder, for the box rules.
[[nodiscard]] std::u16string HomeFolder();

// The program's one window, built from MainWindowControls(): the skip check
// box, the start button (which stops a run while one goes and is the
// default button, so Enter in the box starts a run), the save-folder box with
// its caption, the choose-folder button, the progress line with its tooltip
// and the buttons that open the run's folder and show its failures. The box
// has the focus at first, and every change of its text is stored for
// ReadSaveFolderBox. What a click does is the WindowLogic's; the window draws
// its state. Window thread only, but for the logic's ports.
class MainWindow {
  public:
    MainWindow();
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window, hidden; false when the system refused.
    bool Create();
    [[nodiscard]] HWND handle() const { return window_; }
    // The control `id` (nullptr before Create).
    [[nodiscard]] HWND Control(ControlId id) const;
    // The name of the control `control` from the layout table; empty for a
    // window that is none of them.
    [[nodiscard]] std::u16string ControlName(HWND control) const;

    [[nodiscard]] WindowLogic& logic() { return *logic_; }

    // Called once the window was closed: the program ends.
    void SetClosedHandler(std::function<void()> closed) { closed_ = std::move(closed); }
    // Called each time the progress line was brought up to date, with its text.
    void SetLineShownHandler(std::function<void(const std::wstring&)> shown) { line_shown_ = std::move(shown); }

    void OnStartClicked();
    void OnChooseFolderClicked();
    void OnShowFailuresClicked();
    void OnOpenFolderClicked();
    // Draws the logic's state now.
    void ShowState();

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
    void CreateControls();
    void OnCommand(int id, int code);
    void OnStateReported();
    [[nodiscard]] std::wstring BoxText() const;
    void SetBoxText(const std::u16string& text);

    HWND window_ = nullptr;
    HWND tooltip_ = nullptr;
    std::array<HWND, 8> controls_{};
    HFONT font_ = nullptr;
    std::unique_ptr<WindowLogic> logic_;
    std::function<void()> closed_;
    std::function<void(const std::wstring&)> line_shown_;
    ULONGLONG line_shown_at_ = 0;
    bool line_ever_shown_ = false;
    bool pacing_ = false;
    bool ticking_ = false;
    std::wstring tooltip_text_;
};

}  // namespace qimbra
