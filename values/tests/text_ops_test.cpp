#include <gtest/gtest.h>

#include <string>

#include "values/values.h"

namespace qimbra {
namespace {

TEST(TextCutting, ByBytes) {
    struct Case {
        const char* name;
        Text result;
        std::string expected;
    };
    const Text abc("abc");
    const Text abcdef("abcdef");
    const Text wide("\xB0\xA1x");
    const Case kCases[] = {
        {"left beyond", TextLeft(abc, 5), "abc"},
        {"left 0", TextLeft(abc, 0), ""},
        {"left -1", TextLeft(abc, -1), ""},
        {"left half a character", TextLeft(wide, 1), "\xB0"},
        {"right 2", TextRight(abc, 2), "bc"},
        {"right beyond", TextRight(abc, 9), "abc"},
        {"right 0", TextRight(abc, 0), ""},
        {"right -3", TextRight(abc, -3), ""},
        {"right half a character", TextRight(wide, 2), "\xA1x"},
        {"mid 3 for 2", TextMid(abcdef, 3, 2), "cd"},
        {"mid 5 for 10", TextMid(abcdef, 5, 10), "ef"},
        {"mid 6 for max", TextMid(abcdef, 6, 2147483647), "f"},
        {"mid from 0", TextMid(abcdef, 0, 2), ""},
        {"mid from -1", TextMid(abcdef, -1, 2), ""},
        {"mid from 7", TextMid(abcdef, 7, 2), ""},
        {"mid for 0", TextMid(abcdef, 3, 0), ""},
        {"mid for -1", TextMid(abcdef, 3, -1), ""},
        {"mid of empty", TextMid(Text(), 1, 1), ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.result.bytes(), c.expected);
    }
    EXPECT_EQ(TextLength(Text()), 0);
    EXPECT_EQ(TextLength(wide), 3);
}

TEST(TrimText, Cases) {
    const std::string wide_space = "\xA1\xA1";
    struct Case {
        std::string text, expected;
    };
    const Case kCases[] = {
        {"  a b  ", "a b"},
        {wide_space + "a" + wide_space, "a"},
        {" " + wide_space + " a " + wide_space + " ", "a"},
        {"\ta\r\n", "\ta\r\n"},
        {" \ta ", "\ta"},
        {"   ", ""},
        {wide_space + " " + wide_space, ""},
        {"", ""},
        // A1 A1 counts only as one character: here A1 is the second byte of B0 A1.
        {"a\xB0\xA1\xA1\xA1", "a\xB0\xA1"},
        {"a\xB0\xA1\xA1", "a\xB0\xA1"},  // the last A1 is a broken character
        {"x\xC1\xA1\xA1\xC1", "x\xC1\xA1\xA1\xC1"},
        // A broken character at the end is cut off, blanks in front of it stay.
        {" a \xB0", "a "},
        {"a\xA1", "a"},
        {" \xA1", ""},
        // A1 alone at the start is no blank.
        {"\xA1 ", "\xA1 "},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        EXPECT_EQ(TrimText(Text(c.text)).bytes(), c.expected);
    }
}

TEST(UpperText, Cases) {
    struct Case {
        std::string text, expected;
    };
    const Case kCases[] = {
        {"content-type", "CONTENT-TYPE"},
        {"", ""},
        {"Az{`@[", "AZ{`@["},
        {"\xB0\x61x", "\xB0\x61X"},  // the second byte stays lower case
        {"x\xB0", "X\xB0"},          // a broken character is copied
        {"\xE1\xE2", "\xE1\xE2"},    // no letters beyond ASCII
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        EXPECT_EQ(UpperText(Text(c.text)).bytes(), c.expected);
    }
}

TEST(BlankValues, Sizes) {
    EXPECT_EQ(BlankText(3).bytes(), "   ");
    EXPECT_TRUE(BlankText(0).empty());
    EXPECT_TRUE(BlankText(-2).empty());
    EXPECT_EQ(BlankBytes(4).data(), std::string(4, '\0'));
    EXPECT_TRUE(BlankBytes(0).empty());
    EXPECT_TRUE(BlankBytes(-1).empty());
}

}  // namespace
}  // namespace qimbra
