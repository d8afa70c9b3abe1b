#pragma once

#include <QWidget>
#include <functional>

#include "values/text.h"

class QCloseEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qimbra {

// The text the save-folder box starts with: "D:\Veloni采集图片" on Windows;
// elsewhere the user's pictures folder (the home folder when there is none)
// followed by "/Veloni采集图片".
[[nodiscard]] Text DefaultSaveFolderText();

// The program's one window: a start button, the save-folder box with its
// caption, and the choose-folder button. The controls carry their names as
// object names (按钮_采集, 标签1, 编辑框1, 按钮2). Every change of the box's
// text is stored for ReadSaveFolderBox, so runs never touch the widget.
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);

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

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateControls();
    void ConnectHandlers();

    QPushButton* start_button_ = nullptr;
    QLabel* folder_label_ = nullptr;
    QLineEdit* folder_box_ = nullptr;
    QPushButton* choose_button_ = nullptr;
    std::function<void()> start_handler_;
};

}  // namespace qimbra
