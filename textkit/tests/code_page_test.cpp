#include "textkit/code_page.h"

#include <gtest/gtest.h>

#include <string>

#include "values/conversions.h"
#include "values/literal.h"

namespace qimbra {
namespace {

Bytes Raw(std::string_view bytes) { return Bytes(std::string(bytes)); }

TEST(Utf8ToGbk, Cases) {
    struct Case {
        const char* name;
        std::string_view utf8;
        std::string_view expected;
    };
    const Case kCases[] = {
        {"two characters", "\xE4\xBD\xA0\xE5\xA5\xBD", "\xC4\xE3\xBA\xC3"},
        {"ASCII stays", "href=a.html?x=1&y=2", "href=a.html?x=1&y=2"},
        {"empty", "", ""},
        {"mixed", "<b>\xE4\xBD\xA0</b>", "<b>\xC4\xE3</b>"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8ToGbk(Text(c.utf8)).bytes(), c.expected);
    }
}

TEST(Utf8ToGbk, ReplacesWhatCannotBeConvertedAndGoesOn) {
    struct Case {
        const char* name;
        std::string_view utf8;
    };
    const Case kCases[] = {
        {"character missing from the code page",
         "a\xE4\xBD\xA0\xF0\x9F\x98\x80\xE5\xA5\xBD"
         "b"},
        {"invalid UTF-8",
         "a\xE4\xBD\xA0\xFF\xE5\xA5\xBD"
         "b"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string got = Utf8ToGbk(Text(c.utf8)).bytes();
        ASSERT_GT(got.size(), 6u);
        EXPECT_EQ(got.substr(0, 3), "a\xC4\xE3");
        EXPECT_EQ(got.substr(got.size() - 3),
                  "\xBA\xC3"
                  "b");
    }
}

TEST(Utf8BodyToGbk, IsUtf8ToGbkOfToText) {
    const std::string long_page = [] {
        std::string page;
        for (int i = 0; i < 30000; ++i) page += "<li>\xE6\x98\xA5\xE6\x97\xA5</li>";
        return page;
    }();
    const std::string_view kBodies[] = {
        "",
        "\xE4\xBD\xA0\xE5\xA5\xBD",
        std::string_view("ab\0\xE4\xBD\xA0", 6),  // only what is in front of the zero byte
        std::string_view("\0abc", 4),
        "a\xE4\xBDz\x80",  // broken sequences are replaced, the rest goes on
        long_page,
    };
    for (const std::string_view body : kBodies) {
        SCOPED_TRACE(body.substr(0, 20));
        Bytes moved = Raw(body);
        const Text text = Utf8BodyToGbk(std::move(moved));
        EXPECT_EQ(text, Utf8ToGbk(ToText(Raw(body))));
        EXPECT_TRUE(moved.empty());  // taken over and let go
    }
}

TEST(TextToUtf16, Cases) {
    struct Case {
        const char* name;
        Text text;
        std::optional<int32_t> code_page;
        std::string_view expected;
    };
    const Case kCases[] = {
        {"UTF-8 by default", Text("A"), {}, std::string_view("A\0\0\0", 4)},
        {"UTF-8 characters", Text("\xE4\xBD\xA0"), 65001, std::string_view("\x60\x4F\0\0", 4)},
        {"code page 936", Text("\xC4\xE3\xBA\xC3"), 936, std::string_view("\x60\x4F\x7D\x59\0\0", 6)},
        {"code page 0 is 936", Text("\xC4\xE3"), 0, std::string_view("\x60\x4F\0\0", 4)},
        {"empty", Text(), {}, ""},
        {"unknown code page", Text("A"), 12345, ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextToUtf16(c.text, c.code_page).view(), c.expected);
    }
}

TEST(Utf16ToText, Cases) {
    struct Case {
        const char* name;
        Bytes wide;
        std::optional<int32_t> code_page;
        std::string_view expected;
    };
    const Case kCases[] = {
        {"code page 936", Raw(std::string_view("A\0\0\0", 4)), 936, "A"},
        {"code page 0 by default", Raw(std::string_view("\x60\x4F\x7D\x59\0\0", 6)), {}, "\xC4\xE3\xBA\xC3"},
        {"UTF-8", Raw(std::string_view("\x60\x4F\0\0", 4)), 65001, "\xE4\xBD\xA0"},
        {"stops at the first zero unit", Raw(std::string_view("A\0\0\0B\0", 6)), {}, "A"},
        {"a zero byte inside a unit is no terminator", Raw(std::string_view("\0\x4E\0\0", 4)), {}, "\xD2\xBB"},
        {"without a zero unit reads to the end", Raw(std::string_view("A\0B\0", 4)), {}, "AB"},
        {"a lone last byte is left out", Raw(std::string_view("A\0B", 3)), {}, "A"},
        {"empty", Bytes(), {}, ""},
        {"only the terminator", Raw(std::string_view("\0\0", 2)), {}, ""},
        {"unknown code page", Raw(std::string_view("A\0\0\0", 4)), 12345, ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf16ToText(c.wide, c.code_page).bytes(), c.expected);
    }
}

TEST(Utf16ToText, RoundTripsThroughTextToUtf16) {
    const Text text = Cp936("第七集：海边 photo-01");
    EXPECT_EQ(Utf16ToText(TextToUtf16(text, 936), 936), text);
    EXPECT_EQ(Utf16ToText(TextToUtf16(Text("\xE4\xBD\xA0")), 65001), Text("\xE4\xBD\xA0"));
}

}  // namespace
}  // namespace qimbra
