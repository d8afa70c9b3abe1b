#include "app/window_layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "values/literal.h"

namespace qimbra {
namespace {

// Every control lies inside the window and no two overlap, so that nothing a
// shell draws hides another; every id appears once and finds its own row.
TEST(WindowLayout, ControlsFitTheWindowWithoutOverlap) {
    const auto controls = MainWindowControls();
    std::set<std::u16string_view> names;
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlLayout& a = controls[i];
        SCOPED_TRACE(std::string(a.caption) + " #" + std::to_string(i));
        EXPECT_EQ(&ControlLayoutOf(a.id), &a);
        EXPECT_TRUE(names.insert(a.name).second);
        EXPECT_GE(a.rect.x, 0);
        EXPECT_GE(a.rect.y, 0);
        EXPECT_LE(a.rect.x + a.rect.width, kMainWindowRect.width);
        EXPECT_LE(a.rect.y + a.rect.height, kMainWindowRect.height);
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const WindowRect& b = controls[j].rect;
            const bool apart = a.rect.x + a.rect.width <= b.x || b.x + b.width <= a.rect.x ||
                               a.rect.y + a.rect.height <= b.y || b.y + b.height <= a.rect.y;
            EXPECT_TRUE(apart) << "overlaps #" << j;
        }
    }
}

TEST(WindowLayout, DefaultFolderOnWindows) {
    const struct {
        bool drive_d;
        const char* pictures;
        const char* expected;
    } cases[] = {
        {true, "C:\\Users\\me\\Pictures", "D:\\Veloni采集图片"},
        {false, "C:\\Users\\me\\Pictures", "C:\\Users\\me\\Pictures\\Veloni采集图片"},
        {false, "C:\\Users\\张三\\图片", "C:\\Users\\张三\\图片\\Veloni采集图片"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(WindowsDefaultSaveFolder(c.drive_d, Cp936(c.pictures)), Cp936(c.expected));
    }
}

}  // namespace
}  // namespace qimbra
