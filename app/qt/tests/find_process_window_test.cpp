#include "app/qt/find_process_window.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QTest>
#include <future>
#include <optional>

#include "app/qt/main_window.h"
#include "values/literal.h"

namespace qimbra {
namespace {

// The main window is the only visible window; a hidden dialog stands beside
// it, so the search's order among windows never decides a case.
class FindProcessWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        hidden_.setWindowTitle("hidden");
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }
    MainWindow window_;
    QDialog hidden_;
};

TEST_F(FindProcessWindowTest, FirstVisibleWindowAndItsFilters) {
    struct Case {
        const char* label;
        std::optional<Text> title_part;
        std::optional<Text> class_part;
        std::optional<int32_t> limit;
        bool found;
    };
    const Case cases[] = {
        {"no filter", std::nullopt, std::nullopt, 1000, true},
        {"no limit given", std::nullopt, std::nullopt, std::nullopt, true},
        {"limit -1", std::nullopt, std::nullopt, -1, true},
        {"title part", Cp936("采集器"), std::nullopt, 1000, true},
        {"class part", std::nullopt, Text("MainWindow"), 1000, true},
        {"both parts", Text("Qimbra"), Text("qimbra::"), 1000, true},
        {"title part in other case", Text("qimbra"), std::nullopt, 1000, false},
        // The first visible window decides: the hidden dialog is never a
        // candidate, and a mismatch ends the search.
        {"class of the hidden window", std::nullopt, Text("QDialog"), 1000, false},
        {"title and a wrong class", Cp936("采集器"), Text("QDialog"), 1000, false},
        {"limit 0", std::nullopt, std::nullopt, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        QWidget* found = FindProcessWindow(CurrentProcessId(), c.title_part, c.class_part, c.limit);
        EXPECT_EQ(found, c.found ? &window_ : nullptr);
    }
}

TEST_F(FindProcessWindowTest, InvisibleWindowsOnlyWhenAsked) {
    window_.hide();
    EXPECT_EQ(FindProcessWindow(CurrentProcessId(), std::nullopt, std::nullopt, 100), nullptr);
    QWidget* any = FindProcessWindow(CurrentProcessId(), std::nullopt, std::nullopt, 100, false);
    EXPECT_TRUE(any == &window_ || any == &hidden_);
}

TEST_F(FindProcessWindowTest, NothingForAnotherProcessOrAnotherThread) {
    EXPECT_EQ(FindProcessWindow(CurrentProcessId() + 1, std::nullopt, std::nullopt, 100), nullptr);
    auto off_thread = std::async(std::launch::async, [] { return FindProcessWindow(CurrentProcessId()); });
    EXPECT_EQ(off_thread.get(), nullptr);
}

// A notice is never owned by a dialog: closing that would destroy the notice.
TEST_F(FindProcessWindowTest, NoticeOwnerPassesOverDialogs) {
    QDialog open_box;
    open_box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&open_box));
    EXPECT_EQ(FindNoticeOwner(100), &window_);
    window_.hide();
    EXPECT_EQ(FindNoticeOwner(100), nullptr);
    EXPECT_EQ(FindProcessWindow(CurrentProcessId(), std::nullopt, std::nullopt, 100), &open_box);
}

TEST_F(FindProcessWindowTest, WindowProperties) {
    EXPECT_EQ(WindowProcessId(&window_), CurrentProcessId());
    EXPECT_EQ(WindowTitle(&window_), Cp936("Qimbra采集器"));
    EXPECT_EQ(WindowClassName(&window_), Text("qimbra::MainWindow"));
    EXPECT_EQ(WindowClassName(&hidden_), Text("QDialog"));
    EXPECT_TRUE(WindowTitle(nullptr).empty());
}

}  // namespace
}  // namespace qimbra
