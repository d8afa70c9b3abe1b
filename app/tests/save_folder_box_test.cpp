#include "app/save_folder_box.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "values/literal.h"

namespace qimbra {
namespace {

TEST(ReadBoxFolder, BlanksHomeAndRelativePaths) {
    if (platform::kPathSeparator != '/') GTEST_SKIP() << "the cases are written with Linux paths";
    using Kind = BoxFolder::Kind;
    struct Case {
        std::u16string box;
        Kind kind;
        std::u16string full_path;
    };
    const Case kCases[] = {
        {u"", Kind::kEmpty, u""},
        {u"  \t\u3000 ", Kind::kEmpty, u""},
        {u"/data/相册", Kind::kFolder, u"/data/相册"},
        {u"  /data/相册 \u3000", Kind::kFolder, u"/data/相册"},
        {u"/data/ 中间的空格 /x", Kind::kFolder, u"/data/ 中间的空格 /x"},
        {u"~", Kind::kFolder, u"/home/me"},
        {u"~/", Kind::kFolder, u"/home/me/"},
        {u"~/图片", Kind::kFolder, u"/home/me/图片"},
        {u"~user/x", Kind::kFolder, u"/home/me/~user/x"},
        {u"相册", Kind::kFolder, u"/home/me/相册"},
        {u"./a/../b", Kind::kFolder, u"/home/me/./a/../b"},
        {u"/data/\U0001F4F7", Kind::kNotInCodePage, u"/data/\U0001F4F7"},
        {u"emoji\U0001F4F7", Kind::kNotInCodePage, u"/home/me/emoji\U0001F4F7"},
        {u"/data/a?b", Kind::kFolder, u"/data/a?b"},  // a real "?" is no lost character
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.box.begin(), c.box.end()));
        const BoxFolder folder = ReadBoxFolder(c.box, u"/home/me");
        EXPECT_EQ(folder.kind, c.kind);
        if (c.kind == Kind::kEmpty) continue;
        EXPECT_EQ(folder.full_path, c.full_path);
        if (c.kind == Kind::kFolder) {
            Text expected;
            ASSERT_TRUE(ExactCp936(c.full_path, expected));
            EXPECT_EQ(folder.folder, expected);
        } else {
            EXPECT_TRUE(folder.folder.empty());
        }
    }
}

TEST(ExactCp936, RefusesWhatWouldTurnIntoQuestionMarks) {
    Text bytes;
    EXPECT_TRUE(ExactCp936(u"春日/a?", bytes));
    EXPECT_EQ(bytes, Cp936("春日/a?"));
    EXPECT_FALSE(ExactCp936(u"\U0001F338", bytes));
    EXPECT_FALSE(ExactCp936(u"\u00E9\u0301", bytes));  // no combining accents in code page 936
}

}  // namespace
}  // namespace qimbra
