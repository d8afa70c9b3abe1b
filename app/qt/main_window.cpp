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
#include "app/window_layout.h"
#include "values/literal.h"
#include "values/value_ops.h"

namespace qimbra {

namespace {

std::u16string Units(const QString& text) { return text.toStdU16String(); }

QString FromUnits(const std::u16string& units) { return QString::fromStdU16String(units); }

}  // namespace

Text DefaultSaveFolderText() {
#ifdef _WIN32
    return WindowsDefaultSaveFolder(true, Text());
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
    setWindowTitle(ToQString(MainWindowTitle()));
    move(kMainWindowRect.x, kMainWindowRect.y);
    setFixedSize(kMainWindowRect.width, kMainWindowRect.height);

    // In the order the window holds them, which is also the tab order.
    for (const ControlLayout& control : MainWindowControls()) {
        const QString caption = ToQString(Cp936(control.caption));
        QWidget* widget = nullptr;
        switch (control.kind) {
            case ControlKind::kButton: {
                auto* button = new QPushButton(caption, this);
                button->setAutoDefault(false);
                widget = button;
                break;
            }
            case ControlKind::kLabel: {
                auto* label = new QLabel(caption, this);
                label->setTextFormat(Qt::PlainText);
                widget = label;
                break;
            }
            case ControlKind::kEdit:
                widget = new QLineEdit(caption, this);
                break;
            case ControlKind::kCheckBox:
                widget = new QCheckBox(caption, this);
                break;
        }
        widget->setObjectName(QString::fromStdU16String(std::u16string(control.name)));
        widget->setGeometry(control.rect.x, control.rect.y, control.rect.width, control.rect.height);
        widget->setVisible(control.shown_at_first);
        switch (control.id) {
            case ControlId::kStartButton:
                start_button_ = static_cast<QPushButton*>(widget);
                break;
            case ControlId::kFolderLabel:
                folder_label_ = static_cast<QLabel*>(widget);
                break;
            case ControlId::kFolderBox:
                folder_box_ = static_cast<QLineEdit*>(widget);
                break;
            case ControlId::kChooseButton:
                choose_button_ = static_cast<QPushButton*>(widget);
                break;
            case ControlId::kSkipBox:
                skip_box_ = static_cast<QCheckBox*>(widget);
                break;
            case ControlId::kProgressLabel:
                progress_label_ = static_cast<QLabel*>(widget);
                break;
            case ControlId::kFailuresButton:
                failures_button_ = static_cast<QPushButton*>(widget);
                break;
            case ControlId::kOpenFolderButton:
                open_folder_button_ = static_cast<QPushButton*>(widget);
                break;
        }
    }
    start_button_->setDefault(true);
    skip_box_->setChecked(true);
    folder_label_->setBuddy(folder_box_);
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
    tick_timer_->setInterval(kProgressTickMs);
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
    const qint64 since = progress_shown_.isValid() ? progress_shown_.elapsed() : qint64{kProgressIntervalMs};
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
        BrowseForFolder(QApplication::activeWindow(), FolderBrowserTitle(), start_folder);
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
