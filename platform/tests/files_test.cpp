#include "platform/files.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
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

TEST(ReplaceFileAtomically, WritesPartsInOrderAndReplaces) {
    const qimbra::testing::TempDir dir;
    const std::string target = dir.Child("a.jpeg");
    const std::array<std::string_view, 3> parts{"one", "", std::string_view("\0two", 4)};
    ASSERT_TRUE(ReplaceFileAtomically(target, parts));
    EXPECT_EQ(ReadWholeFile(target), std::string("one\0two", 7));
    const std::array<std::string_view, 1> shorter{"x"};
    ASSERT_TRUE(ReplaceFileAtomically(target, shorter));
    EXPECT_EQ(ReadWholeFile(target), "x");
    ASSERT_TRUE(ReplaceFileAtomically(target, {}));
    EXPECT_EQ(ReadWholeFile(target), "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

TEST(ReplaceFileAtomically, LongNameStillWorks) {
    const qimbra::testing::TempDir dir;
    const std::string target = dir.Child(std::string(250, 'n'));
    const std::array<std::string_view, 1> parts{"x"};
    ASSERT_TRUE(ReplaceFileAtomically(target, parts));
    EXPECT_EQ(ReadWholeFile(target), "x");
}

TEST(ReplaceFileAtomically, FailuresLeaveNothing) {
    const qimbra::testing::TempDir dir;
    const std::array<std::string_view, 1> parts{"x"};
    EXPECT_FALSE(ReplaceFileAtomically("", parts));
    EXPECT_FALSE(ReplaceFileAtomically(dir.Child("none/a"), parts));
    // A file where the folder should be stops everyone, root included.
    ASSERT_TRUE(ReplaceFileAtomically(dir.Child("file"), parts));
    EXPECT_FALSE(ReplaceFileAtomically(dir.Child("file/a"), parts));
    // A folder under the target's name is not replaced, and the temporary
    // file beside it goes again.
    ASSERT_TRUE(MakeDirectory(dir.Child("folder")));
    ASSERT_TRUE(ReplaceFileAtomically(dir.Child("folder/inside"), parts));
    EXPECT_FALSE(ReplaceFileAtomically(dir.Child("folder"), parts));
    EXPECT_TRUE(IsDirectory(dir.Child("folder")));
    EXPECT_EQ(ReadWholeFile(dir.Child("folder/inside")), "x");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 2);
}

TEST(ReplaceFileAtomically, ChineseNameReachesTheDisk) {
    const qimbra::testing::TempDir dir;
    const std::array<std::string_view, 1> parts{"x"};
    ASSERT_TRUE(MakeDirectory(dir.Child(NativePath("\xCD\xBC\xC6\xAC"))));  // 图片
    const std::string target = dir.Child(NativePath("\xCD\xBC\xC6\xAC/\xB2\xC9\xBC\xAF.jpeg"));
    ASSERT_TRUE(ReplaceFileAtomically(target, parts));
    EXPECT_TRUE(PathExists(target));
    EXPECT_EQ(ReadWholeFile(qimbra::testing::Utf8Path(dir.path()) / u8"图片" / u8"采集.jpeg"), "x");
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
    ASSERT_TRUE(ReplaceFileAtomically(file, parts));
    EXPECT_TRUE(PathExists(file));
    EXPECT_FALSE(IsDirectory(file));
    EXPECT_FALSE(MakeDirectory(file));  // a file is in the way
    EXPECT_FALSE(IsDirectory(""));
    EXPECT_FALSE(PathExists(""));
}

// Each failure says why through errno, the same number on every system.
TEST(Files, FailuresSetErrno) {
    const qimbra::testing::TempDir dir;
    const std::array<std::string_view, 1> parts{"x"};
    ASSERT_TRUE(ReplaceFileAtomically(dir.Child("file"), parts));
    ASSERT_TRUE(MakeDirectory(dir.Child("folder")));
    struct Case {
        const char* what;
        bool (*call)(const std::string&);
        std::string path;
        int error;
    };
    const Case cases[] = {
        {"a folder under the file's name",
         [](const std::string& path) { return ReplaceFileAtomically(path, std::array<std::string_view, 1>{"x"}); },
         dir.Child("folder"), EISDIR},
        {"a missing folder on the way",
         [](const std::string& path) { return ReplaceFileAtomically(path, std::array<std::string_view, 1>{"x"}); },
         dir.Child("none/a"), ENOENT},
        {"a file where the folder should be", [](const std::string& path) { return MakeDirectory(path); },
         dir.Child("file"), EEXIST},
        {"a missing parent", [](const std::string& path) { return MakeDirectory(path); }, dir.Child("none/a"), ENOENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        errno = 0;
        EXPECT_FALSE(c.call(c.path));
        EXPECT_EQ(errno, c.error);
    }
}

TEST(Files, RemoveFileAndEmptyDirectory) {
    const qimbra::testing::TempDir dir;
    const std::array<std::string_view, 1> parts{"x"};
    const std::string file = dir.Child(NativePath("\xCD\xBC.jpeg"));
    ASSERT_TRUE(ReplaceFileAtomically(file, parts));
    EXPECT_TRUE(RemoveFile(file));
    EXPECT_FALSE(PathExists(file));
    EXPECT_TRUE(RemoveFile(file));  // already gone
    EXPECT_FALSE(RemoveFile(""));

    const std::string folder = dir.Child(NativePath("\xCD\xBC\xC6\xAC"));
    ASSERT_TRUE(MakeDirectory(folder));
    ASSERT_TRUE(ReplaceFileAtomically(folder + kPathSeparator + "a", parts));
    EXPECT_FALSE(RemoveEmptyDirectory(folder));  // not empty
    EXPECT_TRUE(IsDirectory(folder));
    ASSERT_TRUE(RemoveFile(folder + kPathSeparator + "a"));
    EXPECT_TRUE(RemoveEmptyDirectory(folder));
    EXPECT_FALSE(PathExists(folder));
    EXPECT_FALSE(RemoveEmptyDirectory(folder));
    EXPECT_FALSE(RemoveEmptyDirectory(""));
}

TEST(ReadFileStart, GivesAtMostTheAskedBytes) {
    const qimbra::testing::TempDir dir;
    const std::string file = dir.Child(NativePath("\xB2\xC9\xBC\xAF.jpeg"));  // a Chinese name
    const std::string content = std::string("\xFF\xD8\xFF") + std::string(5000, 'a');
    const std::array<std::string_view, 1> parts{content};
    ASSERT_TRUE(ReplaceFileAtomically(file, parts));
    const struct {
        size_t max_bytes;
        std::string expected;
    } cases[] = {{0, ""}, {3, "\xFF\xD8\xFF"}, {4096, content.substr(0, 4096)}, {9000, content}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.max_bytes);
        EXPECT_EQ(ReadFileStart(file, c.max_bytes), c.expected);
    }
    EXPECT_EQ(ReadFileStart(dir.Child("missing"), 8), "");
    EXPECT_EQ(ReadFileStart("", 8), "");
}

}  // namespace
}  // namespace qimbra::platform
