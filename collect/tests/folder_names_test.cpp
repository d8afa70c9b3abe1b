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
        {"../x", ".._x"},
        {"a/b", "a_b"},
        {"/etc/passwd", "_etc_passwd"},
        {"//", "__"},
        {"a%2Fb&amp;", "a%2Fb&amp;"},  // no decoding
        {Cp936("春日/花园").bytes(), Cp936("春日_花园").bytes()},
#ifdef _WIN32
        {"a\\b", "a_b"},
        {"..\\..\\x", ".._.._x"},
        {"a<b>c:d\"e|f?g*h", "a_b_c_d_e_f_g_h"},
        {"tab\there", "tab_here"},
        {"trailing. .", "trailing___"},
        {"...", "___"},  // Windows would drop trailing dots and blanks
        {" .. ", "____"},
#else
        {"...", "..."},
        {" .. ", " .. "},                          // no trimming
        {"a<b>c:d\"e|f?g*h", "a<b>c:d\"e|f?g*h"},  // Linux takes them
        {"trailing. .", "trailing. ."},
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
#ifdef _WIN32
    EXPECT_EQ(FolderNameOfTitle(Text("\x81/..")).bytes(), "\x81___");
#else
    EXPECT_EQ(FolderNameOfTitle(Text("\x81/..")).bytes(), "\x81_..");
#endif
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

TEST(EntryFolderNames, OneFolderPerLinkAndNeverAnEmptyName) {
    struct Step {
        const char* link;
        std::string title;  // code page 936 bytes
        std::string name;
    };
    const Step kSteps[] = {
        {"p/1.html", "t", "t"},
        {"p/2.html", "t", "t (2)"},
        {"p/1.html", "t", "t"},  // the same link keeps its folder
        {"p/3.html", "t", "t (3)"},
        {"p/4.html", "t (2)", "t (2) (2)"},
        {"p/5.html", "", "5.html"},
        {"q/5.html", "", "5.html (2)"},
        {"p/6/", "", "6"},
        {"", "", Cp936("未命名").bytes()},
        {"x/..", "", Cp936("未命名 (2)").bytes()},
        {"p/7.html", "a/b", "a_b"},
        // Two bytes that are no character both reach the disk as U+FFFD:
        // one folder name there, so the second one is numbered.
        {"p/8.html", "\xb8", "\xb8"},
        {"p/9.html", "\xc0", "\xc0 (2)"},
    };
    EntryFolderNames names;
    for (const Step& step : kSteps) {
        SCOPED_TRACE(std::string(step.link) + " " + step.title);
        EXPECT_EQ(names.NameFor(Text(step.link), Text(step.title)).bytes(), step.name);
    }
}

TEST(EntryFolderNames, SuffixStillFitsTheFileSystem) {
    const std::string title(255, 'a');
    EntryFolderNames names;
    EXPECT_EQ(names.NameFor(Text("1"), Text(title)).bytes(), title);
    EXPECT_EQ(names.NameFor(Text("2"), Text(title)).bytes(), std::string(251, 'a') + " (2)");
    EXPECT_EQ(names.NameFor(Text("3"), Text(title)).bytes(), std::string(251, 'a') + " (3)");
}

TEST(JoinPath, AddsOneSeparatorWhateverTheEnds) {
    const std::string sep(1, platform::kPathSeparator);
    EXPECT_EQ(JoinPath(Text("d"), Text("x")).bytes(), "d" + sep + "x");
    EXPECT_EQ(JoinPath(Text("d" + sep), Text("x")).bytes(), "d" + sep + sep + "x");
    EXPECT_EQ(JoinPath(Text("d"), Text()).bytes(), "d" + sep);
}

}  // namespace
}  // namespace qimbra
