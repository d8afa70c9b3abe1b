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

// 3-byte UTF-8 characters from 2-byte code page 936 ones: 100 of them make a
// 300-byte native name, 66 a 198-byte one.
std::string Repeat(const char* utf8, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += utf8;
    return text;
}

TEST(FolderNameOfTitle, CutsNamesTooLongForTheFileSystemAtACharacter) {
    struct Case {
        const char* label;
        std::string title;  // UTF-8
        std::string name;   // UTF-8
    };
    const Case kCases[] = {
        {"300 bytes", Repeat("图", 100), Repeat("图", 85)},
        {"198 bytes stay", Repeat("图", 66), Repeat("图", 66)},
        {"255 bytes stay", Repeat("图", 85), Repeat("图", 85)},
        {"256 bytes", Repeat("a", 256), Repeat("a", 255)},
        // Mixed widths: 254 bytes of ASCII, then a 3-byte character that no
        // longer fits and must not be split.
        {"no half character", Repeat("a", 254) + "图b", Repeat("a", 254)},
        {"separators first", Repeat("/", 300), Repeat("_", 255)},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.label);
        const Text name = FolderNameOfTitle(Cp936(c.title));
        const std::string native = platform::NativePath(name.view());
        EXPECT_EQ(native, c.name);
        EXPECT_LE(native.size(), 255u);
    }
}

TEST(JoinPath, AddsOneSeparatorWhateverTheEnds) {
    const std::string sep(1, platform::kPathSeparator);
    EXPECT_EQ(JoinPath(Text("d"), Text("x")).bytes(), "d" + sep + "x");
    EXPECT_EQ(JoinPath(Text("d" + sep), Text("x")).bytes(), "d" + sep + sep + "x");
    EXPECT_EQ(JoinPath(Text("d"), Text()).bytes(), "d" + sep);
}

}  // namespace
}  // namespace qimbra
