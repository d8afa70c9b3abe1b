#include "app/qt/timed_notice.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QMetaObject>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "app/qt/main_window.h"
#include "app/qt/qt_text.h"
#include "qt_helpers.h"
#include "values/literal.h"

namespace qimbra {
namespace {

using test::IsReady;
using test::PumpUntil;
using test::VisibleBoxes;

const QString kDefaultTitle = QString::fromUtf8("友情提醒");

// What a box looked like while it was open.
struct SeenBox {
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QWidget* owner = nullptr;
    Qt::WindowModality modality = Qt::NonModal;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int button_count = 0;
};

SeenBox Describe(QMessageBox* box) {
    return {box->windowTitle(),    box->text(), box->textFormat(),         box->parentWidget(),
            box->windowModality(), box->icon(), int(box->buttons().size())};
}

// Runs TimedNotice on a worker thread.
template <class... Args>
std::future<int32_t> NoticeOnWorker(Args... args) {
    return std::async(std::launch::async, [=] { return TimedNotice(args...); });
}

class TimedNoticeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }
    MainWindow window_;
};

// On the window thread the box runs in a local event loop; left alone it
// closes itself and yields the time-out answer minus 1.
TEST_F(TimedNoticeTest, ClosesItselfAfterItsTimeOut) {
    SeenBox seen;
    QTimer::singleShot(0, [&] {
        ASSERT_EQ(VisibleBoxes(kDefaultTitle).size(), 1u);
        seen = Describe(VisibleBoxes(kDefaultTitle).front());
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(TimedNotice(Cp936("<b>采集完成</b>"), std::nullopt, std::nullopt, std::nullopt, 200), 31999);
    EXPECT_GE(clock.elapsed(), 150);
    EXPECT_EQ(seen.title, kDefaultTitle);
    EXPECT_EQ(seen.text, QString::fromUtf8("<b>采集完成</b>"));
    EXPECT_EQ(seen.format, Qt::PlainText);
    EXPECT_EQ(seen.owner, &window_);
    EXPECT_EQ(seen.modality, Qt::WindowModal);
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.button_count, 1);
    EXPECT_TRUE(VisibleBoxes(kDefaultTitle).empty());
}

// Buttons give their answers minus 1; OK gives 0. Clicked on the window thread
// while the caller waits, on the window thread or on a worker.
TEST_F(TimedNoticeTest, PressedButtonGivesItsAnswer) {
    struct Case {
        const char* label;
        uint32_t style;
        QMessageBox::StandardButton press;
        int32_t expected;
        QMessageBox::Icon icon;
    };
    const Case cases[] = {
        {"ok", 0, QMessageBox::Ok, 0, QMessageBox::NoIcon},
        {"ok-cancel, cancel", 0x1, QMessageBox::Cancel, 1, QMessageBox::NoIcon},
        {"yes-no, no, warning", 0x34, QMessageBox::No, 6, QMessageBox::Warning},
        {"retry-cancel, retry, error", 0x15, QMessageBox::Retry, 3, QMessageBox::Critical},
    };
    for (const Case& c : cases) {
        for (bool on_worker : {false, true}) {
            SCOPED_TRACE(std::string(c.label) + (on_worker ? " on a worker" : " on the window thread"));
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            auto press = [&] {
                auto boxes = VisibleBoxes(kDefaultTitle);
                if (boxes.size() != 1 || boxes.front()->button(c.press) == nullptr) return false;
                icon = boxes.front()->icon();
                boxes.front()->button(c.press)->click();
                return true;
            };
            if (on_worker) {
                auto result = NoticeOnWorker(Text("x"), c.style, std::nullopt, std::nullopt, 10000);
                ASSERT_TRUE(PumpUntil(press));
                ASSERT_TRUE(PumpUntil([&] { return IsReady(result); }));
                EXPECT_EQ(result.get(), c.expected);
            } else {
                QTimer poll;
                QObject::connect(&poll, &QTimer::timeout, [&] {
                    if (press()) poll.stop();
                });
                poll.start(10);
                EXPECT_EQ(TimedNotice(Text("x"), c.style, std::nullopt, std::nullopt, 10000), c.expected);
            }
            EXPECT_EQ(icon, c.icon);
        }
    }
}

// The worker waits in the notice; the window thread goes on handling events
// and queued calls meanwhile.
TEST_F(TimedNoticeTest, WorkerBlocksWhileTheWindowStaysResponsive) {
    auto result = NoticeOnWorker(Cp936("请获取保存目录"), std::nullopt, std::nullopt, std::nullopt, 10000);
    ASSERT_TRUE(PumpUntil([] { return VisibleBoxes(kDefaultTitle).size() == 1; }));
    QMessageBox* box = VisibleBoxes(kDefaultTitle).front();
    EXPECT_EQ(box->text(), QString::fromUtf8("请获取保存目录"));
    EXPECT_EQ(box->parentWidget(), &window_);

    std::atomic<int> queued_calls_run = 0;
    std::thread other([&] {
        for (int i = 0; i < 3; ++i) {
            QMetaObject::invokeMethod(
                &window_, [&] { ++queued_calls_run; }, Qt::QueuedConnection);
        }
    });
    other.join();
    EXPECT_TRUE(PumpUntil([&] { return queued_calls_run == 3; }));
    window_.setWindowTitle("still handled");
    EXPECT_EQ(window_.windowTitle(), "still handled");
    EXPECT_FALSE(IsReady(result));

    box->button(QMessageBox::Ok)->click();
    ASSERT_TRUE(PumpUntil([&] { return IsReady(result); }));
    EXPECT_EQ(result.get(), 0);
}

// A short text still gives a box wide enough for its whole title, and the box
// still closes itself with the same answer.
TEST_F(TimedNoticeTest, BoxIsWideEnoughForItsTitle) {
    auto result = NoticeOnWorker(Cp936("采集完成"), std::nullopt, std::nullopt, std::nullopt, 600);
    ASSERT_TRUE(PumpUntil([] { return VisibleBoxes(kDefaultTitle).size() == 1; }));
    QMessageBox* box = VisibleBoxes(kDefaultTitle).front();
    EXPECT_GE(box->width(), box->fontMetrics().horizontalAdvance(box->windowTitle()) + 100);
    ASSERT_TRUE(PumpUntil([&] { return IsReady(result); }, 5000));
    EXPECT_EQ(result.get(), 31999);
}

// Two notices at once are independent: closing the later one first frees its
// caller alone.
TEST_F(TimedNoticeTest, TwoNoticesAtOnce) {
    auto first = NoticeOnWorker(Text("first"), std::nullopt, Text("A"), std::nullopt, 1500);
    auto second = NoticeOnWorker(Text("second"), std::nullopt, Text("B"), std::nullopt, 10000);
    ASSERT_TRUE(PumpUntil([] { return VisibleBoxes("A").size() == 1 && VisibleBoxes("B").size() == 1; }));
    // Neither is owned by the other, so closing one leaves the other alone.
    EXPECT_EQ(VisibleBoxes("A").front()->parentWidget(), &window_);
    EXPECT_EQ(VisibleBoxes("B").front()->parentWidget(), &window_);
    VisibleBoxes("B").front()->button(QMessageBox::Ok)->click();
    ASSERT_TRUE(PumpUntil([&] { return IsReady(second); }));
    EXPECT_EQ(second.get(), 0);
    EXPECT_FALSE(IsReady(first));
    ASSERT_TRUE(PumpUntil([&] { return IsReady(first); }));
    EXPECT_EQ(first.get(), 31999);
}

// Without a visible window of the program the owner search gives up after its
// one-second limit and the box comes without an owner; nullptr asks for none
// at once.
TEST_F(TimedNoticeTest, NoOwnerWithoutAVisibleWindow) {
    QWidget* seen_owner = &window_;
    QElapsedTimer clock;
    auto result = NoticeOnWorker(Text("alone"), std::nullopt, Text("no owner"), std::optional<QWidget*>(nullptr), 300);
    ASSERT_TRUE(PumpUntil([&] {
        auto boxes = VisibleBoxes("no owner");
        if (!boxes.empty()) seen_owner = boxes.front()->parentWidget();
        return !boxes.empty();
    }));
    EXPECT_EQ(seen_owner, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return IsReady(result); }));
    EXPECT_EQ(result.get(), 31999);

    window_.hide();
    seen_owner = &window_;
    clock.start();
    result = NoticeOnWorker(Text("alone"), std::nullopt, Text("searched"), std::nullopt, 300);
    ASSERT_TRUE(PumpUntil([&] {
        auto boxes = VisibleBoxes("searched");
        if (!boxes.empty()) seen_owner = boxes.front()->parentWidget();
        return !boxes.empty();
    }));
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_EQ(seen_owner, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return IsReady(result); }));
    EXPECT_EQ(result.get(), 31999);
}

}  // namespace
}  // namespace qimbra
