#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <memory>

#include "app/window_logic.h"
#include "values/text.h"

class QCheckBox;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace qimbra {

// The text the save-folder box starts with: "D:\Veloni采集图片" on Windows;
// elsewhere the user's pictures folder (the home folder when there is none)
// followed by "/Veloni采集图片".
[[nodiscard]] Text DefaultSaveFolderText();

// The user's home folder with the system's separators, for the box rules.
[[nodiscard]] std::u16string HomeFolder();

// The program's one window: the skip check box at the top, a start button
// (which stops a run while one goes), the save-folder box with its caption,
// the choose-folder button and, below them, the progress line with the
// buttons that open the run's folder and show its failures. The controls
// carry their names as object names (选择框_跳过, 按钮_采集, 标签1, 编辑框1,
// 按钮2, 标签_进度, 按钮_打开文件夹, 按钮_查看失败). Enter in the box starts a
// run; the box has the focus at first. What a click does is the
// WindowLogic's; the window draws its state. Every change of the box's text
// is stored for ReadSaveFolderBox.
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The window's behaviour, which runs report to. Reports reach the window
    // as queued calls; the line changes at most every 100 ms, once a second
    // while a run goes, and the latest state is always shown in the end.
    [[nodiscard]] WindowLogic& logic() { return *logic_; }

    // 按钮_采集: hands the box's text to the logic.
    void OnStartClicked();
    // 按钮2: the folder browser's choice becomes SaveDirectory and the box's
    // text; a cancel changes nothing; a folder code page 936 cannot name is
    // refused with a notice.
    void OnChooseFolderClicked();
    // 按钮_查看失败: the list of the last run's failures.
    void OnShowFailuresClicked();
    // 按钮_打开文件夹: the last run's folder in the file manager.
    void OnOpenFolderClicked();

  signals:
    // The window was closed: the program ends.
    void Closed();
    // The progress line was brought up to date, showing `text`.
    void ProgressLineShown(const QString& text);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateControls();
    void ConnectHandlers();
    void OnStateReported();
    void ShowState();

    QPushButton* start_button_ = nullptr;
    QLabel* folder_label_ = nullptr;
    QLineEdit* folder_box_ = nullptr;
    QPushButton* choose_button_ = nullptr;
    QLabel* progress_label_ = nullptr;
    QPushButton* failures_button_ = nullptr;
    QPushButton* open_folder_button_ = nullptr;
    QCheckBox* skip_box_ = nullptr;
    std::unique_ptr<WindowLogic> logic_;
    QTimer* progress_timer_ = nullptr;
    QTimer* tick_timer_ = nullptr;
    QElapsedTimer progress_shown_;
};

}  // namespace qimbra
