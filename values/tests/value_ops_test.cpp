#include <gtest/gtest.h>

#include <string>

#include "testing/fatal_exit_code.h"
#include "values/values.h"

namespace qimbra {
namespace {

TEST(Text, KeepsBytesInFrontOfZero) {
    EXPECT_EQ(Text(std::string_view("ab\0c", 4)).bytes(), "ab");
    EXPECT_TRUE(Text(std::string_view("\0a", 2)).empty());
    EXPECT_EQ(Text(), Text(""));
}

TEST(ConcatText, JoinsInOrder) {
    const Text path = ConcatText(Cp936("D:\\图片"), Text("\\"), Text("1.jpeg"));
    EXPECT_EQ(path, Cp936("D:\\图片\\1.jpeg"));
    EXPECT_TRUE(ConcatText(Text(), Text("")).empty());
    EXPECT_EQ(ConcatText(Text("a"), Text(), Text("b"), Text(), Text("c")).bytes(), "abc");
}

TEST(CompareText, Cases) {
    struct Case {
        Text first, second;
        int32_t expected;
    };
    const Case kCases[] = {
        {Text(), Text(""), 0},         {Text("a"), Text("ab"), -1},     {Text("ab"), Text("a"), 1},
        {Text("\xB0x"), Text("a"), 1}, {Text("a"), Text("\xB0"), -1},   {Text("Set-Cookie"), Text("set-cookie"), -1},
        {Text(), Text("a"), -1},       {Text("same"), Text("same"), 0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.first.bytes() + " vs " + c.second.bytes());
        EXPECT_EQ(CompareText(c.first, c.second), c.expected);
    }
}

TEST(CompareBytes, CountedUnsigned) {
    const auto* a = reinterpret_cast<const unsigned char*>("a\0\x80");
    const auto* b = reinterpret_cast<const unsigned char*>("a\0\x7F");
    EXPECT_EQ(CompareBytes(a, b, 2), 0);  // zero bytes are content, not an end
    EXPECT_EQ(CompareBytes(a, b, 3), 1);
    EXPECT_EQ(CompareBytes(b, a, 3), -1);
    EXPECT_EQ(CompareBytes(a, b, 0), 0);
    EXPECT_EQ(CompareBytes(nullptr, nullptr, 0), 0);
}

TEST(Bytes, EqualityAndAccess) {
    EXPECT_EQ(Bytes(), Bytes(std::string_view()));
    EXPECT_NE(Bytes("ab"), Bytes("abc"));
    EXPECT_NE(Bytes(std::string_view("a\0", 2)), Bytes("a"));
    EXPECT_EQ(ConcatBytes(Bytes(), Bytes()), Bytes());
    EXPECT_EQ(ConcatBytes(Bytes("a"), Bytes(std::string_view("\0", 1)), Bytes("b")).data(), std::string("a\0b", 3));

    Bytes bytes("\xFF\x01");
    EXPECT_EQ(bytes.ByteAt(1), 255);
    bytes.SetByte(2, 0x1234);  // only the low 8 bits are stored
    EXPECT_EQ(bytes.ByteAt(2), 0x34);
    bytes.SetByte(1, -1);
    EXPECT_EQ(bytes.ByteAt(1), 255);
}

TEST(TextArray, GrowsAndClears) {
    TextArray array;
    EXPECT_EQ(ArraySize(array), 0);
    Text source("x");
    AppendText(array, source);
    AppendText(array, Text());
    source = Text("changed");  // the array holds its own copy
    ASSERT_EQ(ArraySize(array), 2);
    EXPECT_EQ(array[1].bytes(), "x");
    EXPECT_TRUE(array[2].empty());
    ClearArray(array);
    EXPECT_EQ(ArraySize(array), 0);
    AppendText(array, Text("y"));
    ASSERT_EQ(ArraySize(array), 1);
    EXPECT_EQ(array[1].bytes(), "y");
}

using IndexErrorDeathTest = ::testing::Test;

TEST_F(IndexErrorDeathTest, EndsProgramWithExitCodeMinusOne) {
    TextArray two;
    AppendText(two, Text("a"));
    AppendText(two, Text("b"));
    EXPECT_EXIT((void)two[0], ::testing::ExitedWithCode(qimbra::testing::kFatalExitCode), "below 1");
    EXPECT_EXIT((void)two[3], ::testing::ExitedWithCode(qimbra::testing::kFatalExitCode), "past the element count 2");
    EXPECT_EXIT((void)TextArray()[1], ::testing::ExitedWithCode(qimbra::testing::kFatalExitCode),
                "past the element count 0");
    Bytes bytes("ab");
    EXPECT_EXIT((void)bytes.ByteAt(3), ::testing::ExitedWithCode(qimbra::testing::kFatalExitCode),
                "past the element count 2");
    EXPECT_EXIT(bytes.SetByte(0, 1), ::testing::ExitedWithCode(qimbra::testing::kFatalExitCode), "below 1");
}

TEST(TruncateToInt, TowardZeroThroughSixtyFourBits) {
    struct Case {
        double value;
        int32_t expected;
    };
    const Case kCases[] = {
        {6.67, 6},
        {-2.5, -2},
        {5 * 4 / 3.0, 6},
        {-0.9, 0},
        {2147483648.0, -2147483647 - 1},  // the low 32 bits of 2^31
        {4294967297.0, 1},
        {-4294967295.0, 1},
        {1e300, 0},
        {-1e300, 0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(TruncateToInt(c.value), c.expected);
    }
}

}  // namespace
}  // namespace qimbra
