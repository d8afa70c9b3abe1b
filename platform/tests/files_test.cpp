#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <iterator>
#include <string>

#include "testing/file_contents.h"
#include "testing/temp_dir.h"

namespace qimbra::platform {
namespace {

using testing::ReadWholeFile;

TEST(NativePath, Cp936BecomesUtf8) {
    EXPECT_EQ(NativePath("/tmp/\xCD\xBC\xC6\xAC"), "/tmp/图片");
    EXPECT_EQ(NativePath(""), "");
}

TEST(ReplaceFile, WritesPartsInOrderAndReplaces) {
    const qimbra::testing::TempDir dir;
    const std::string target = dir.Child("a.jpeg");
    const std::array<std::string_view, 3> parts{"one", "", std::string_view("\0two", 4)};
    ASSERT_TRUE(ReplaceFile(target, parts));
    EXPECT_EQ(ReadWholeFile(target), std::string("one\0two", 7));
    const std::array<std::string_view, 1> shorter{"x"};
    ASSERT_TRUE(ReplaceFile(target, shorter));
    EXPECT_EQ(ReadWholeFile(target), "x");
    ASSERT_TRUE(ReplaceFile(target, {}));
    EXPECT_EQ(ReadWholeFile(target), "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

TEST(ReplaceFile, LongNameStillWorks) {
    const qimbra::testing::TempDir dir;
    const std::string target = dir.Child(std::string(250, 'n'));
    const std::array<std::string_view, 1> parts{"x"};
    ASSERT_TRUE(ReplaceFile(target, parts));
    EXPECT_EQ(ReadWholeFile(target), "x");
}

TEST(ReplaceFile, FailuresLeaveNothing) {
    const qimbra::testing::TempDir dir;
    const std::array<std::string_view, 1> parts{"x"};
    EXPECT_FALSE(ReplaceFile("", parts));
    EXPECT_FALSE(ReplaceFile(dir.Child("none/a"), parts));
    ASSERT_TRUE(MakeDirectory(dir.Child("ro")));
    ::chmod(dir.Child("ro").c_str(), 0555);
    if (::geteuid() != 0) {
        EXPECT_FALSE(ReplaceFile(dir.Child("ro/a"), parts));
    }
    ::chmod(dir.Child("ro").c_str(), 0755);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Child("ro")));  // no temporary file left behind
}

TEST(Directories, MakeAndTest) {
    const qimbra::testing::TempDir dir;
    const std::string sub = dir.Child("sub");
    EXPECT_FALSE(PathExists(sub));
    EXPECT_FALSE(IsDirectory(sub));
    EXPECT_TRUE(MakeDirectory(sub));
    EXPECT_TRUE(MakeDirectory(sub));  // already there
    EXPECT_TRUE(IsDirectory(sub));
    EXPECT_TRUE(PathExists(sub));
    EXPECT_FALSE(MakeDirectory(dir.Child("a/b")));  // the parent is missing
    EXPECT_FALSE(MakeDirectory(""));

    const std::string file = dir.Child("file");
    const std::array<std::string_view, 1> parts{"x"};
    ASSERT_TRUE(ReplaceFile(file, parts));
    EXPECT_TRUE(PathExists(file));
    EXPECT_FALSE(IsDirectory(file));
    EXPECT_FALSE(MakeDirectory(file));  // a file is in the way
    EXPECT_FALSE(IsDirectory(""));
    EXPECT_FALSE(PathExists(""));
}

}  // namespace
}  // namespace qimbra::platform
