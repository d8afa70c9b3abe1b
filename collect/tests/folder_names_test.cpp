#include "collect/folder_names.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "values/literal.h"

namespace qimbra {
namespace {

TEST(FolderNameOfTitle, ReplacesSeparatorsAndDotNames) {
    struct Case {
        std::string title;  // code page 936 bytes
        std::string name;
    };
    const Case kCases[] = {
        {"", ""},
        {"plain title", "plain title"},
        {".", "_"},
        {"..", "_"},
        {"...", "..."},
        {"../x", ".._x"},
        {"a/b", "a_b"},
        {"/etc/passwd", "_etc_passwd"},
        {"//", "__"},
        {" .. ", " .. "},              // no trimming
        {"a%2Fb&amp;", "a%2Fb&amp;"},  // no decoding
        {Cp936("春日/花园").bytes(), Cp936("春日_花园").bytes()},
#ifdef _WIN32
        {"a\\b", "a_b"},
        {"..\\..\\x", ".._.._x"},
#else
        {"a\\b", "a\\b"},  // an ordinary character here
#endif
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(FolderNameOfTitle(Text(c.title)).bytes(), c.name);
    }
}

TEST(FolderNameOfTitle, KeepsTwoByteCharactersWhole) {
    // 0x81 0x5C is one character whose second byte is "\": kept on every
    // system. A "/" can never be a second byte, so it goes even there.
    EXPECT_EQ(FolderNameOfTitle(Text("\x81\x5C"
                                     "a"))
                  .bytes(),
              "\x81\x5C"
              "a");
    EXPECT_EQ(FolderNameOfTitle(Text("\x81/..")).bytes(), "\x81_..");
}

TEST(JoinPath, AddsOneSeparatorWhateverTheEnds) {
    const std::string sep(1, platform::kPathSeparator);
    EXPECT_EQ(JoinPath(Text("d"), Text("x")).bytes(), "d" + sep + "x");
    EXPECT_EQ(JoinPath(Text("d" + sep), Text("x")).bytes(), "d" + sep + sep + "x");
    EXPECT_EQ(JoinPath(Text("d"), Text()).bytes(), "d" + sep);
}

}  // namespace
}  // namespace qimbra
