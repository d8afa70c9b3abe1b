#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/progress_board.h"
#include "values/text.h"

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

// The program's one window: a start button, the save-folder box with its
// caption, the choose-folder button and, below them, the progress line. The
// controls carry their names as object names (按钮_采集, 标签1, 编辑框1,
// 按钮2, 标签_进度). Every change of the box's text is stored for
// ReadSaveFolderBox, so runs never touch the widget.
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Where runs report for the progress line. Reports reach the window as
    // queued calls; the line changes at most every 100 ms, and the latest
    // state is always shown in the end.
    [[nodiscard]] std::shared_ptr<ProgressBoard> progress_board() const { return progress_board_; }

    // What a click of 按钮_采集 does; nothing until one is set.
    void SetStartHandler(std::function<void()> handler);

    // 按钮_采集: runs the start handler.
    void OnStartClicked();
    // 按钮2: the folder browser's result, even the empty one of a cancel,
    // becomes SaveDirectory and the box's text.
    void OnChooseFolderClicked();

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
    void OnProgressReported();
    void ShowProgressLine();

    QPushButton* start_button_ = nullptr;
    QLabel* folder_label_ = nullptr;
    QLineEdit* folder_box_ = nullptr;
    QPushButton* choose_button_ = nullptr;
    QLabel* progress_label_ = nullptr;
    std::function<void()> start_handler_;
    std::shared_ptr<ProgressBoard> progress_board_ = std::make_shared<ProgressBoard>();
    QTimer* progress_timer_ = nullptr;
    QElapsedTimer progress_shown_;
};

}  // namespace qimbra
