#pragma once

#include <span>
#include <string_view>

#include "values/text.h"

namespace qimbra {

// A place on the screen or in the window, in pixels.
struct WindowRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The main window: caption "Qimbra采集器", 380x250 at 50,50, not resizable.
inline constexpr WindowRect kMainWindowRect{50, 50, 380, 250};
[[nodiscard]] const Text& MainWindowTitle();

// The progress line changes at most this often, however fast runs report.
inline constexpr int kProgressIntervalMs = 100;
// While a run goes the line is drawn again this often, for its clock.
inline constexpr int kProgressTickMs = 1000;

enum class ControlId {
    kStartButton,       // 按钮_采集, the default button; "停止" while a run goes
    kFolderLabel,       // 标签1, the box's caption
    kFolderBox,         // 编辑框1, the save-folder box; has the focus at first
    kChooseButton,      // 按钮2, the folder browser
    kSkipBox,           // 选择框_跳过, checked at first
    kProgressLabel,     // 标签_进度, plain text
    kFailuresButton,    // 按钮_查看失败, hidden at first
    kOpenFolderButton,  // 按钮_打开文件夹, hidden at first
};

enum class ControlKind { kButton, kLabel, kEdit, kCheckBox };

// One control of the main window as every shell builds it.
struct ControlLayout {
    ControlId id;
    ControlKind kind;
    std::u16string_view name;  // the control's name, for tests and tools
    std::string_view caption;  // UTF-8 of the first text; empty: none
    WindowRect rect;           // inside the window's client area
    bool shown_at_first;
};

// The main window's controls in the order the window holds them, which is
// also the tab order.
[[nodiscard]] std::span<const ControlLayout> MainWindowControls();

// The layout of the control `id`.
[[nodiscard]] const ControlLayout& ControlLayoutOf(ControlId id);

// The caption of the folder browser: "请选择保存文件夹：".
[[nodiscard]] const Text& FolderBrowserTitle();

// The box's first text on Windows: "D:\Veloni采集图片" when a drive D:
// exists, otherwise `pictures_folder` (the user's Pictures folder, no
// trailing separator) followed by "\Veloni采集图片". All code page 936.
[[nodiscard]] Text WindowsDefaultSaveFolder(bool drive_d_exists, const Text& pictures_folder);

}  // namespace qimbra
