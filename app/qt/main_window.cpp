#include "app/qt/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <utility>

#include "app/qt/failure_list.h"
#include "app/qt/folder_browser.h"
#include "app/qt/folder_opener.h"
#include "app/qt/qt_text.h"
#include "app/qt/timed_notice.h"
#include "app/save_directory.h"
#include "values/literal.h"
#include "values/value_ops.h"

namespace qimbra {

namespace {

constexpr QRect kWindowGeometry(50, 50, 380, 250);
// The progress line changes at most this often, however fast runs report.
constexpr qint64 kProgressIntervalMs = 100;
// While a run goes the line is drawn again this often, for its clock.
constexpr int kTickMs = 1000;

std::u16string Units(const QString& text) { return text.toStdU16String(); }

QString FromUnits(const std::u16string& units) { return QString::fromStdU16String(units); }

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

std::u16string HomeFolder() { return Units(QDir::toNativeSeparators(QDir::homePath())); }

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
    CreateControls();
    ConnectHandlers();
}

MainWindow::~MainWindow() {
    // Runs may outlive the window; the logic cuts them off from it, and calls
    // already posted go with the window.
    logic_.reset();
}

void MainWindow::CreateControls() {
    setWindowTitle(ToQString(Cp936("Qimbra采集器")));
    move(kWindowGeometry.topLeft());
    setFixedSize(kWindowGeometry.size());

    // In the order the window holds them, which is also the tab order.
    start_button_ = new QPushButton(ToQString(Cp936("开始采集")), this);
    start_button_->setObjectName(QStringLiteral("按钮_采集"));
    start_button_->setGeometry(264, 128, 96, 48);
    start_button_->setDefault(true);

    folder_label_ = new QLabel(ToQString(Cp936("文件地址")), this);
    folder_label_->setObjectName(QStringLiteral("标签1"));
    folder_label_->setGeometry(32, 112, 80, 24);

    folder_box_ = new QLineEdit(this);
    folder_box_->setObjectName(QStringLiteral("编辑框1"));
    folder_box_->setGeometry(32, 136, 192, 24);

    choose_button_ = new QPushButton(ToQString(Cp936("选择保存目录")), this);
    choose_button_->setObjectName(QStringLiteral("按钮2"));
    choose_button_->setGeometry(264, 64, 96, 48);

    skip_box_ = new QCheckBox(ToQString(Cp936("跳过已保存的图片")), this);
    skip_box_->setObjectName(QStringLiteral("选择框_跳过"));
    skip_box_->setGeometry(32, 24, 200, 24);
    skip_box_->setChecked(true);

    progress_label_ = new QLabel(this);
    progress_label_->setObjectName(QStringLiteral("标签_进度"));
    progress_label_->setGeometry(32, 184, 328, 24);
    progress_label_->setTextFormat(Qt::PlainText);

    failures_button_ = new QPushButton(ToQString(Cp936("查看失败")), this);
    failures_button_->setObjectName(QStringLiteral("按钮_查看失败"));
    failures_button_->setGeometry(264, 212, 96, 28);
    failures_button_->setVisible(false);

    open_folder_button_ = new QPushButton(ToQString(Cp936("打开文件夹")), this);
    open_folder_button_->setObjectName(QStringLiteral("按钮_打开文件夹"));
    open_folder_button_->setGeometry(160, 212, 96, 28);
    open_folder_button_->setVisible(false);

    folder_label_->setBuddy(folder_box_);
    for (QPushButton* button : {choose_button_, failures_button_, open_folder_button_}) button->setAutoDefault(false);
    // A stray Space at launch types into the box instead of starting a run.
    folder_box_->setFocus();
}

void MainWindow::ConnectHandlers() {
    connect(folder_box_, &QLineEdit::textChanged, this,
            [](const QString& text) { StoreSaveFolderBox(TextFromQString(text)); });
    folder_box_->setText(ToQString(DefaultSaveFolderText()));
    connect(start_button_, &QPushButton::clicked, this, &MainWindow::OnStartClicked);
    connect(choose_button_, &QPushButton::clicked, this, &MainWindow::OnChooseFolderClicked);
    connect(failures_button_, &QPushButton::clicked, this, &MainWindow::OnShowFailuresClicked);
    connect(open_folder_button_, &QPushButton::clicked, this, &MainWindow::OnOpenFolderClicked);
    connect(folder_box_, &QLineEdit::returnPressed, this, &MainWindow::OnStartClicked);
    connect(skip_box_, &QCheckBox::toggled, this, [this](bool checked) { logic_->SetSkipSavedImages(checked); });

    progress_timer_ = new QTimer(this);
    progress_timer_->setSingleShot(true);
    connect(progress_timer_, &QTimer::timeout, this, &MainWindow::ShowState);
    tick_timer_ = new QTimer(this);
    tick_timer_->setInterval(kTickMs);
    connect(tick_timer_, &QTimer::timeout, this, &MainWindow::ShowState);

    WindowPorts ports;
    ports.show_notice = [](const Text& message) { return TimedNotice(message); };
    // Called on a worker's thread: it only posts a call to the window thread.
    ports.state_changed = [this] {
        QMetaObject::invokeMethod(this, &MainWindow::OnStateReported, Qt::QueuedConnection);
    };
    logic_ = std::make_unique<WindowLogic>(std::move(ports));
}

void MainWindow::OnStateReported() {
    if (progress_timer_->isActive()) return;  // the line is brought up to date soon
    const qint64 since = progress_shown_.isValid() ? progress_shown_.elapsed() : kProgressIntervalMs;
    if (since >= kProgressIntervalMs) {
        ShowState();
    } else {
        progress_timer_->start(int(kProgressIntervalMs - since));
    }
}

void MainWindow::ShowState() {
    const WindowState state = logic_->State();
    const QString line = ToQString(state.progress_line);
    progress_shown_.start();
    start_button_->setText(ToQString(state.start_button_text));
    progress_label_->setText(line);
    progress_label_->setToolTip(ToQString(state.progress_tooltip));
    failures_button_->setVisible(state.failures_button_shown);
    open_folder_button_->setVisible(state.open_folder_shown);
    if (state.ticking && !tick_timer_->isActive()) tick_timer_->start();
    if (!state.ticking) tick_timer_->stop();
    emit ProgressLineShown(line);
}

void MainWindow::OnStartClicked() {
    const std::optional<std::u16string> shown = logic_->StartClicked(Units(folder_box_->text()), HomeFolder());
    if (shown) folder_box_->setText(FromUnits(*shown));
    ShowState();
}

void MainWindow::OnChooseFolderClicked() {
    const Text start_folder = logic_->BrowserStartFolder(Units(folder_box_->text()), HomeFolder());
    const std::optional<Text> chosen =
        BrowseForFolder(QApplication::activeWindow(), Cp936("请选择保存文件夹："), start_folder);
    if (const std::optional<std::u16string> shown = logic_->FolderChosen(chosen)) {
        folder_box_->setText(FromUnits(*shown));
    }
}

void MainWindow::OnShowFailuresClicked() { ShowFailureList(this, logic_->Failures()); }

void MainWindow::OnOpenFolderClicked() { OpenFolderInFileManager(logic_->RunFolder()); }

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit Closed();
}

}  // namespace qimbra
