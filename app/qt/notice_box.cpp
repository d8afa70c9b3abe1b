#include "app/qt/notice_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QSpacerItem>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <span>
#include <utility>

namespace qimbra {

namespace {

// What every waiting caller waits on. Never destroyed: a worker may still be
// waiting when the process ends.
struct Waits {
    std::mutex mutex;
    std::condition_variable changed;
    bool ending = false;
};

Waits& SharedWaits() {
    static auto* waits = new Waits;
    return *waits;
}

// One box's answer, handed from the window thread to its caller.
struct Outcome {
    bool closed = false;  // under SharedWaits().mutex, as is `answer`
    int32_t answer = kBoxFailed;
};

struct ButtonAnswer {
    QMessageBox::StandardButton button;
    int32_t answer;
};

constexpr ButtonAnswer kOk[] = {{QMessageBox::Ok, kBoxOk}};
constexpr ButtonAnswer kOkCancel[] = {{QMessageBox::Ok, kBoxOk}, {QMessageBox::Cancel, kBoxCancel}};
constexpr ButtonAnswer kAbortRetryIgnore[] = {
    {QMessageBox::Abort, kBoxAbort}, {QMessageBox::Retry, kBoxRetry}, {QMessageBox::Ignore, kBoxIgnore}};
constexpr ButtonAnswer kYesNoCancel[] = {
    {QMessageBox::Yes, kBoxYes}, {QMessageBox::No, kBoxNo}, {QMessageBox::Cancel, kBoxCancel}};
constexpr ButtonAnswer kYesNo[] = {{QMessageBox::Yes, kBoxYes}, {QMessageBox::No, kBoxNo}};
constexpr ButtonAnswer kRetryCancel[] = {{QMessageBox::Retry, kBoxRetry}, {QMessageBox::Cancel, kBoxCancel}};

std::span<const ButtonAnswer> ButtonsOf(uint32_t style) {
    switch (style & 0xFu) {
        case 1:
            return kOkCancel;
        case 2:
            return kAbortRetryIgnore;
        case 3:
            return kYesNoCancel;
        case 4:
            return kYesNo;
        case 5:
            return kRetryCancel;
        default:
            return kOk;
    }
}

QMessageBox::Icon IconOf(uint32_t style) {
    switch (style & 0xF0u) {
        case 0x10:
            return QMessageBox::Critical;
        case 0x20:
            return QMessageBox::Question;
        case 0x30:
            return QMessageBox::Warning;
        case 0x40:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

bool OnWindowThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

// A window pointer is used only while the widget still exists; the check
// compares addresses and never follows a stale one.
bool IsLiveWidget(QWidget* widget) { return widget != nullptr && QApplication::allWidgets().contains(widget); }

// Room beside a title for the title bar's icon and buttons.
constexpr int kTitleBarExtra = 160;

// Builds and shows the box on the window thread. `on_closed` runs once, on the
// window thread, with the answer, also when something destroys the box first.
void OpenBox(const NoticeBoxRequest& request, std::function<void(int32_t)> on_closed) {
    QWidget* owner = request.find_owner ? request.find_owner() : nullptr;
    if (!IsLiveWidget(owner)) {
        owner = nullptr;
    }

    auto* box = new QMessageBox(owner);
    // A notice never keeps the program alive, nor ends it by closing.
    box->setAttribute(Qt::WA_QuitOnClose, false);
    box->setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::NonModal);
    box->setTextFormat(Qt::PlainText);
    box->setText(QString::fromStdU16String(request.message));
    box->setWindowTitle(QString::fromStdU16String(request.title));
    box->setIcon(IconOf(request.style));
    const std::span<const ButtonAnswer> buttons = ButtonsOf(request.style);
    for (const ButtonAnswer& b : buttons) {
        box->addButton(b.button);
    }
    const size_t default_index = (request.style >> 8) & 0xFu;
    box->setDefaultButton(buttons[default_index < buttons.size() ? default_index : 0].button);
    // A box with a short text is narrower than its own title bar would need;
    // a spacer keeps the whole title readable.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        const int title_width = box->fontMetrics().horizontalAdvance(box->windowTitle()) + kTitleBarExtra;
        grid->addItem(new QSpacerItem(title_width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }

    struct State {
        std::function<void(int32_t)> on_closed;
        bool timed_out = false;
        void Report(int32_t answer) {
            if (on_closed) {
                std::exchange(on_closed, nullptr)(answer);
            }
        }
    };
    auto state = std::make_shared<State>();
    state->on_closed = std::move(on_closed);

    QObject::connect(box, &QDialog::finished, box, [box, state, buttons](int) {
        int32_t answer = kBoxFailed;
        if (state->timed_out) {
            answer = kBoxTimedOut;
        } else if (QAbstractButton* clicked = box->clickedButton()) {
            const QMessageBox::StandardButton which = box->standardButton(clicked);
            for (const ButtonAnswer& b : buttons) {
                if (b.button == which) {
                    answer = b.answer;
                }
            }
        }
        state->Report(answer);
        box->deleteLater();
    });
    QObject::connect(box, &QObject::destroyed, [state] { state->Report(kBoxFailed); });
    if (request.timeout_ms >= 0) {
        QTimer::singleShot(request.timeout_ms, box, [box, state] {
            state->timed_out = true;
            box->done(0);
        });
    }
    box->show();
}

}  // namespace

int32_t ShowNoticeBox(const NoticeBoxRequest& request) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return kBoxFailed;
    }
    Waits& waits = SharedWaits();
    {
        std::lock_guard lock(waits.mutex);
        if (waits.ending) {
            return kBoxFailed;
        }
    }
    auto outcome = std::make_shared<Outcome>();
    auto finish = [outcome](int32_t answer) {
        Waits& w = SharedWaits();
        std::lock_guard lock(w.mutex);
        outcome->closed = true;
        outcome->answer = answer;
        w.changed.notify_all();
    };

    if (OnWindowThread()) {
        QEventLoop loop;
        QPointer<QEventLoop> loop_alive(&loop);
        OpenBox(request, [finish, loop_alive](int32_t answer) {
            finish(answer);
            if (loop_alive) {
                loop_alive->quit();
            }
        });
        bool closed = false;
        {
            std::lock_guard lock(waits.mutex);
            closed = outcome->closed;
        }
        // The program's end leaves every event loop of the window thread,
        // this one too, so the caller never outstays it.
        if (!closed) {
            loop.exec();
        }
    } else {
        QMetaObject::invokeMethod(
            app,
            [request, finish] {
                {
                    std::lock_guard lock(SharedWaits().mutex);
                    if (SharedWaits().ending) {
                        return;
                    }
                }
                OpenBox(request, finish);
            },
            Qt::QueuedConnection);
        std::unique_lock lock(waits.mutex);
        waits.changed.wait(lock, [&] { return outcome->closed || waits.ending; });
    }
    std::lock_guard lock(waits.mutex);
    return outcome->closed ? outcome->answer : kBoxFailed;
}

void EndNoticeBoxes() {
    Waits& waits = SharedWaits();
    std::lock_guard lock(waits.mutex);
    waits.ending = true;
    waits.changed.notify_all();
}

}  // namespace qimbra
