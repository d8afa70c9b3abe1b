#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <utility>

#include "app/folder_browser.h"
#include "app/qt_text.h"
#include "app/save_directory.h"
#include "values/literal.h"
#include "values/value_ops.h"

namespace qimbra {

namespace {

constexpr QRect kWindowGeometry(50, 50, 380, 250);
// The progress line changes at most this often, however fast runs report.
constexpr qint64 kProgressIntervalMs = 100;

}  // namespace

Text DefaultSaveFolderText() {
#ifdef _WIN32
    return Cp936("D:\\Veloni采集图片");
#else
    QString base = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (base.isEmpty() || !QFileInfo(base).isDir()) {
        base = QDir::homePath();
    }
    return ConcatText(TextFromQString(QDir::toNativeSeparators(base)), Cp936("/Veloni采集图片"));
#endif
}

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
    CreateControls();
    ConnectHandlers();
}

MainWindow::~MainWindow() {
    // Runs may outlive the window; after this no report calls back into it,
    // and calls already posted go with the window.
    progress_board_->SetNotify({});
}

void MainWindow::SetStartHandler(std::function<void()> handler) { start_handler_ = std::move(handler); }

void MainWindow::CreateControls() {
    setWindowTitle(ToQString(Cp936("Qimbra采集器")));
    move(kWindowGeometry.topLeft());
    setFixedSize(kWindowGeometry.size());

    // In the order the window holds them, which is also the tab order.
    start_button_ = new QPushButton(ToQString(Cp936("开始采集")), this);
    start_button_->setObjectName(QStringLiteral("按钮_采集"));
    start_button_->setGeometry(264, 128, 96, 48);

    folder_label_ = new QLabel(ToQString(Cp936("文件地址")), this);
    folder_label_->setObjectName(QStringLiteral("标签1"));
    folder_label_->setGeometry(32, 112, 80, 24);

    folder_box_ = new QLineEdit(this);
    folder_box_->setObjectName(QStringLiteral("编辑框1"));
    folder_box_->setGeometry(32, 136, 192, 24);

    choose_button_ = new QPushButton(ToQString(Cp936("选择保存目录")), this);
    choose_button_->setObjectName(QStringLiteral("按钮2"));
    choose_button_->setGeometry(264, 64, 96, 48);

    progress_label_ = new QLabel(this);
    progress_label_->setObjectName(QStringLiteral("标签_进度"));
    progress_label_->setGeometry(32, 190, 328, 24);
    progress_label_->setTextFormat(Qt::PlainText);

    folder_label_->setBuddy(folder_box_);
}

void MainWindow::ConnectHandlers() {
    connect(folder_box_, &QLineEdit::textChanged, this,
            [](const QString& text) { StoreSaveFolderBox(TextFromQString(text)); });
    folder_box_->setText(ToQString(DefaultSaveFolderText()));
    connect(start_button_, &QPushButton::clicked, this, &MainWindow::OnStartClicked);
    connect(choose_button_, &QPushButton::clicked, this, &MainWindow::OnChooseFolderClicked);

    progress_timer_ = new QTimer(this);
    progress_timer_->setSingleShot(true);
    connect(progress_timer_, &QTimer::timeout, this, &MainWindow::ShowProgressLine);
    // Called on a worker's thread: it only posts a call to the window thread.
    progress_board_->SetNotify(
        [this] { QMetaObject::invokeMethod(this, &MainWindow::OnProgressReported, Qt::QueuedConnection); });
}

void MainWindow::OnProgressReported() {
    if (progress_timer_->isActive()) return;  // the line is brought up to date soon
    const qint64 since = progress_shown_.isValid() ? progress_shown_.elapsed() : kProgressIntervalMs;
    if (since >= kProgressIntervalMs) {
        ShowProgressLine();
    } else {
        progress_timer_->start(int(kProgressIntervalMs - since));
    }
}

void MainWindow::ShowProgressLine() {
    const QString text = ToQString(progress_board_->TakeLine());
    progress_shown_.start();
    progress_label_->setText(text);
    emit ProgressLineShown(text);
}

void MainWindow::OnStartClicked() {
    if (start_handler_) {
        start_handler_();
    }
}

void MainWindow::OnChooseFolderClicked() {
    const Text chosen = BrowseForFolder(QApplication::activeWindow(), Cp936("请选择保存文件夹："));
    SetSaveDirectory(chosen);
    folder_box_->setText(ToQString(chosen));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit Closed();
}

}  // namespace qimbra
