#include "textkit/ensure_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "testing/file_contents.h"
#include "testing/temp_dir.h"
#include "values/literal.h"

namespace qimbra {
namespace {

namespace fs = std::filesystem;

constexpr char kSeparator = platform::kPathSeparator;

// `relative` (code page 936) under the temporary folder, as a Text.
Text Under(const qimbra::testing::TempDir& dir, const Text& relative) {
    return Text(dir.path() + "/" + relative.bytes());
}

bool IsDirectory(const qimbra::testing::TempDir& dir, const Text& relative) {
    return fs::is_directory(qimbra::testing::Utf8Path(platform::NativePath(Under(dir, relative).view())));
}

TEST(EnsureDirectory, CreatesEveryMissingDirectory) {
    struct Case {
        const char* name;
        Text path;
        std::vector<Text> made;
    };
    const Case kCases[] = {
        {"nested", Text("a/b/c"), {Text("a"), Text("a/b"), Text("a/b/c")}},
        {"trailing separator", Text("a/b/"), {Text("a"), Text("a/b")}},
        {"doubled separator", Text("a//b"), {Text("a"), Text("a/b")}},
        {"double-byte names", Cp936("图片/第七集：海边"), {Cp936("图片"), Cp936("图片/第七集：海边")}},
        // In code page 936 the second byte of 乗 is a backslash: no separator.
        {"backslash as a second byte", Cp936("乗/乗乗"), {Cp936("乗"), Cp936("乗/乗乗")}},
        {"the system's own separator",
         Text(std::string("a") + kSeparator + "b" + kSeparator),
         {Text("a"), Text("a/b")}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const qimbra::testing::TempDir dir;
        EXPECT_TRUE(EnsureDirectory(Under(dir, c.path)));
        for (const Text& made : c.made) EXPECT_TRUE(IsDirectory(dir, made)) << made.bytes();
    }
}

TEST(EnsureDirectory, LeavesExistingDirectoriesAsTheyAre) {
    const qimbra::testing::TempDir dir;
    ASSERT_TRUE(EnsureDirectory(Under(dir, Text("a/b"))));
    const std::string kept = dir.Child("a/b/kept.jpeg");
    std::ofstream(kept) << "picture";

    EXPECT_TRUE(EnsureDirectory(Under(dir, Text("a/b"))));
    EXPECT_TRUE(EnsureDirectory(Under(dir, Text("a/b/"))));
    std::ifstream in(kept);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "picture");
}

TEST(EnsureDirectory, RootAndEmptyPath) {
    EXPECT_TRUE(EnsureDirectory(Text()));
    EXPECT_TRUE(EnsureDirectory(Text("/")));
}

TEST(EnsureDirectory, FailsWhereADirectoryCannotBeMade) {
    const qimbra::testing::TempDir dir;
    std::ofstream(dir.Child("file")) << "x";
    EXPECT_FALSE(EnsureDirectory(Under(dir, Text("file"))));
    EXPECT_FALSE(EnsureDirectory(Under(dir, Text("file/sub"))));
    EXPECT_FALSE(fs::exists(dir.Child("file/sub")));
}

}  // namespace
}  // namespace qimbra
