// What only Windows does to a file replaced while someone holds it open.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <filesystem>
#include <iterator>
#include <string>

#include "platform/encoding.h"
#include "platform/files.h"
#include "testing/file_contents.h"
#include "testing/temp_dir.h"

namespace qimbra::platform {
namespace {

std::wstring Wide(const std::string& utf8) {
    const std::u16string units = ToUtf16(kCodePageUtf8, utf8);
    return std::wstring(units.begin(), units.end());
}

// A file held open by another opener that lets nobody delete or rename it
// cannot be replaced: the call fails, the file keeps its content, and the
// temporary file beside it goes again.
TEST(ReplaceFileAtomically, FileInUseElsewhereFailsAndKeepsItsContent) {
    const qimbra::testing::TempDir dir;
    const std::string target = dir.Child("1.jpeg");
    const std::array<std::string_view, 1> earlier{"earlier"};
    ASSERT_TRUE(ReplaceFileAtomically(target, earlier));

    const HANDLE held = CreateFileW(Wide(target).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::array<std::string_view, 1> later{"later"};
    EXPECT_FALSE(ReplaceFileAtomically(target, later));
    CloseHandle(held);

    EXPECT_EQ(qimbra::testing::ReadWholeFile(target), "earlier");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
    EXPECT_TRUE(ReplaceFileAtomically(target, later));  // once it is closed, the replace goes through
    EXPECT_EQ(qimbra::testing::ReadWholeFile(target), "later");
}

// Names past the classic 260-character limit of a full path still work
// (Windows needs the "\\?\" form for them; Wine has no such limit).
TEST(Directories, PathsPastMaxPath) {
    const qimbra::testing::TempDir dir;
    std::string path = dir.path();
    while (path.size() < 400) {
        path += "\\" + std::string(60, 'd');
        ASSERT_TRUE(MakeDirectory(path)) << path.size();
    }
    EXPECT_TRUE(IsDirectory(path));
    const std::array<std::string_view, 1> parts{"x"};
    const std::string file = path + "\\" + std::string(100, 'f') + ".jpeg";
    ASSERT_TRUE(ReplaceFileAtomically(file, parts));
    EXPECT_TRUE(PathExists(file));
    EXPECT_FALSE(IsDirectory(file));
}

}  // namespace
}  // namespace qimbra::platform
