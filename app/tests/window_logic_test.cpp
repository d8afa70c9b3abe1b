#include "app/window_logic.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "app/save_directory.h"
#include "platform/encoding.h"
#include "testing/gallery/gallery_fixture.h"
#include "testing/temp_dir.h"
#include "values/literal.h"

namespace qimbra {
namespace {

// Notices and state changes, as a shell would see them.
class FakeShell {
  public:
    WindowPorts Ports() {
        return {.show_notice =
                    [this](const Text& message) {
                        std::lock_guard lock(mutex_);
                        notices_.push_back(message);
                        changed_.notify_all();
                        return 0;
                    },
                .state_changed = [] {}};
    }
    bool WaitForNotices(size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return notices_.size() >= count; });
    }
    std::vector<Text> Notices() {
        std::lock_guard lock(mutex_);
        return notices_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Text> notices_;
};

TEST(WindowLogic, CancelledChoiceChangesNothingAndAChoiceIsForTheNextRun) {
    FakeShell shell;
    WindowLogic logic(shell.Ports());
    SetSaveDirectory(Text("/earlier"));
    EXPECT_EQ(logic.FolderChosen(Text()), std::nullopt);
    EXPECT_EQ(SaveDirectory(), Text("/earlier"));
    EXPECT_EQ(logic.FolderChosen(Cp936("/data/相册")), std::u16string(u"/data/相册"));
    EXPECT_EQ(SaveDirectory(), Cp936("/data/相册"));

    // A folder code page 936 cannot name: its notice, and nothing changes.
    EXPECT_EQ(logic.FolderChosen(std::nullopt), std::nullopt);
    ASSERT_TRUE(shell.WaitForNotices(1));
    EXPECT_EQ(shell.Notices().back(), Cp936("保存目录里有无法使用的字符，请换一个文件夹"));
    EXPECT_EQ(SaveDirectory(), Cp936("/data/相册"));
}

TEST(WindowLogic, StartsRunsByTheBoxRules) {
    testing::FixtureGallery gallery;
    gallery.SetArchive({{"p/1.html", "一"}});
    gallery.SetEntry("p/1.html", {"a"});
    gallery.SetImage("a", testing::Jpeg("A"));
    testing::TempDir temp;
    FakeShell shell;
    WindowLogic logic(shell.Ports());

    // Without settings nothing starts.
    EXPECT_EQ(logic.StartClicked(u"x", u"/home"), std::nullopt);

    logic.SetRunSettings(gallery.Settings());
    const std::u16string home = platform::Cp936ToUtf16(temp.path());
    // A folder code page 936 cannot name: its notice, and no run.
    EXPECT_EQ(logic.StartClicked(u"\U0001F4F7", home), std::nullopt);
    ASSERT_TRUE(shell.WaitForNotices(1));
    EXPECT_EQ(shell.Notices().back(), Cp936("保存目录里有无法使用的字符，请换一个文件夹"));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(gallery.pages().Requests().size(), 0u);

    // A relative folder runs in the home folder, and the box shows it.
    EXPECT_EQ(logic.StartClicked(u" 相册 ", home), home + u"/相册");
    ASSERT_TRUE(shell.WaitForNotices(2));
    EXPECT_EQ(shell.Notices().back(), Cp936("采集完成"));
    EXPECT_EQ(testing::TreeOf(temp.Child("相册")), (std::vector<std::string>{"一", "一/1.jpeg"}));
    const WindowState state = logic.State();
    EXPECT_EQ(state.progress_line, Cp936("完成：1 组，1 张，失败 0"));
    EXPECT_FALSE(state.failures_button_shown);
    EXPECT_FALSE(state.ticking);
}

}  // namespace
}  // namespace qimbra
