// The real Win32 window, built and driven through its own handles.
#include "app/win32/main_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/save_directory.h"
#include "app/win32/failure_list.h"
#include "app/win32/folder_browser.h"
#include "app/win32/timed_notice.h"
#include "app/win32/win32_text.h"
#include "values/literal.h"

namespace qimbra {
namespace {

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

class Win32Window : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
    }
    void SetUp() override { ASSERT_TRUE(window_.Create()); }
    MainWindow window_;
};

TEST_F(Win32Window, ControlsHaveTheirNamesCaptionsAndPlaces) {
    EXPECT_EQ(TextOf(window_.handle()), L"Qimbra采集器");
    RECT client{};
    GetClientRect(window_.handle(), &client);
    EXPECT_EQ(client.right - client.left, kMainWindowRect.width);
    EXPECT_EQ(client.bottom - client.top, kMainWindowRect.height);
    RECT frame{};
    GetWindowRect(window_.handle(), &frame);
    EXPECT_EQ(frame.left, kMainWindowRect.x);
    EXPECT_EQ(frame.top, kMainWindowRect.y);

    HWND previous = nullptr;
    for (const ControlLayout& layout : MainWindowControls()) {
        SCOPED_TRACE(layout.caption);
        const HWND control = window_.Control(layout.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(window_.ControlName(control), layout.name);
        EXPECT_EQ(GetParent(control), window_.handle());
        // The window holds them in the table's order, the tab order.
        EXPECT_EQ(GetWindow(control, GW_HWNDPREV), previous);
        previous = control;
        RECT place{};
        GetWindowRect(control, &place);
        MapWindowPoints(nullptr, window_.handle(), reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(place.left, layout.rect.x);
        EXPECT_EQ(place.top, layout.rect.y);
        EXPECT_EQ(place.right - place.left, layout.rect.width);
        EXPECT_EQ(place.bottom - place.top, layout.rect.height);
        EXPECT_EQ((GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0, layout.shown_at_first);
        if (layout.id != ControlId::kFolderBox) {
            EXPECT_EQ(TextOf(control), Wide(Cp936(layout.caption)));
        }
    }
    EXPECT_EQ(window_.ControlName(window_.handle()), u"");
    EXPECT_EQ(SendMessageW(window_.Control(ControlId::kSkipBox), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(GetFocus(), window_.Control(ControlId::kFolderBox));
    EXPECT_EQ(TextOf(window_.Control(ControlId::kFolderBox)), Wide(DefaultSaveFolderText()));
    EXPECT_TRUE(TextOf(window_.Control(ControlId::kFolderBox)).ends_with(L"\\Veloni采集图片"));
}

TEST_F(Win32Window, BoxChangesAreStoredAndTheSkipBoxReachesTheLogic) {
    SetWindowTextW(window_.Control(ControlId::kFolderBox), L"C:\\相册");
    EXPECT_EQ(ReadSaveFolderBox(), Cp936("C:\\相册"));
    SendMessageW(window_.Control(ControlId::kSkipBox), BM_CLICK, 0, 0);
    EXPECT_FALSE(window_.logic().skip_saved_images());
    SendMessageW(window_.Control(ControlId::kSkipBox), BM_CLICK, 0, 0);
    EXPECT_TRUE(window_.logic().skip_saved_images());
}

TEST_F(Win32Window, ChosenFolderFillsTheBoxAndCancelChangesNothing) {
    Text seen_start;
    const struct {
        const char* what;
        std::optional<Text> chosen;
        std::wstring box_after;
    } cases[] = {
        {"a folder", Cp936("C:\\照片"), L"C:\\照片"},
        {"cancelled", Text(), L"C:\\照片"},
    };
    SetWindowTextW(window_.Control(ControlId::kFolderBox), L"C:\\before");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ReplaceFolderBrowser([&](HWND owner, const Text& title, const Text& start) {
            EXPECT_EQ(owner, window_.handle());
            EXPECT_EQ(title, Cp936("请选择保存文件夹："));
            seen_start = start;
            return c.chosen;
        });
        SendMessageW(window_.Control(ControlId::kChooseButton), BM_CLICK, 0, 0);
        EXPECT_EQ(TextOf(window_.Control(ControlId::kFolderBox)), c.box_after);
    }
    ReplaceFolderBrowser({});
    EXPECT_EQ(SaveDirectory(), Cp936("C:\\照片"));
}

TEST(Win32FailureList, ListsEveryFailureOnDemand) {
    std::vector<RunFailure> failures(3000);
    for (size_t i = 0; i < failures.size(); ++i) failures[i].image_number = static_cast<int32_t>(i + 1);
    const HWND list_window = ShowFailureList(nullptr, failures);
    ASSERT_NE(list_window, nullptr);
    const HWND list = FailureListView(list_window);
    EXPECT_EQ(ListView_GetItemCount(list), 3000);
    EXPECT_NE(FailureCopyButton(list_window), nullptr);
    EXPECT_EQ(TextOf(list_window), L"失败列表");
    DestroyWindow(list_window);
}

// The notice closes itself with its own timer and answers as the time-out.
TEST(Win32Notice, ClosesItselfAfterItsTime) {
    const ULONGLONG started = GetTickCount64();
    EXPECT_EQ(TimedNotice(Cp936("测试"), nullptr, 200), 31999);
    const ULONGLONG took = GetTickCount64() - started;
    EXPECT_GE(took, 150u);
    EXPECT_LT(took, 5000u);
}

}  // namespace
}  // namespace qimbra
