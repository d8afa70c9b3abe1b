#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <thread>

#include "platform/event_queue.h"
#include "testing/file_contents.h"
#include "testing/temp_dir.h"
#include "values/values.h"

namespace qimbra {
namespace {

using testing::ReadWholeFile;

size_t EntryCount(const std::string& folder) {
    return static_cast<size_t>(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

TEST(Cp936, LiteralBecomesCodePage936Bytes) {
    EXPECT_EQ(Cp936("采集完成").bytes(), "\xB2\xC9\xBC\xAF\xCD\xEA\xB3\xC9");
    EXPECT_EQ(Cp936("　").bytes(), "\xA1\xA1");
    EXPECT_EQ(Cp936("#引号").bytes(), "#\xD2\xFD\xBA\xC5");
    EXPECT_TRUE(Cp936("").empty());
}

TEST(ToText, FromBytesAndIntegers) {
    EXPECT_EQ(ToText(Bytes(std::string_view("ab\0c", 4))).bytes(), "ab");
    EXPECT_TRUE(ToText(Bytes(std::string_view("\0a", 2))).empty());
    EXPECT_TRUE(ToText(Bytes()).empty());
    EXPECT_EQ(ToText(Bytes("\xB0\xA1")).bytes(), "\xB0\xA1");  // no conversion
    struct Case {
        int32_t value;
        const char* expected;
    };
    const Case kCases[] = {
        {0, "0"}, {-1, "-1"}, {-15, "-15"}, {7, "7"}, {2147483647, "2147483647"}, {-2147483647 - 1, "-2147483648"}};
    for (const Case& c : kCases) EXPECT_EQ(ToText(c.value).bytes(), c.expected);
}

TEST(ToBytes, EveryByteWithoutTerminator) {
    EXPECT_EQ(ToBytes(Text("abc")).data(), "abc");
    EXPECT_EQ(ToBytes(Text("abc")).size(), 3);
    EXPECT_TRUE(ToBytes(Text()).empty());
}

class WriteFileTest : public ::testing::Test {
  protected:
    Text PathOf(const std::string& name) const { return Text(folder_.Child(name)); }
    testing::TempDir folder_;
};

TEST_F(WriteFileTest, ReplacesWholeContent) {
    const Text path = PathOf("1.jpeg");
    ASSERT_TRUE(WriteFile(path, Bytes("a long first content")));
    ASSERT_TRUE(WriteFile(path, Bytes("short")));
    EXPECT_EQ(ReadWholeFile(folder_.Child("1.jpeg")), "short");
    ASSERT_TRUE(WriteFile(path, Bytes(std::string_view("a\0", 2)), Bytes(), Bytes("b")));
    EXPECT_EQ(ReadWholeFile(folder_.Child("1.jpeg")), std::string("a\0b", 3));
    ASSERT_TRUE(WriteFile(path, Bytes()));
    EXPECT_TRUE(std::filesystem::exists(folder_.Child("1.jpeg")));
    EXPECT_EQ(ReadWholeFile(folder_.Child("1.jpeg")), "");
    EXPECT_EQ(EntryCount(folder_.path()), 1u);  // no temporary file is left
}

TEST_F(WriteFileTest, ChineseNameIsWrittenInUtf8) {
    const Text folder_name = Text(folder_.path());
    ASSERT_TRUE(WriteFile(ConcatText(folder_name, Cp936("/图片.jpeg")), Bytes("x")));
    EXPECT_EQ(ReadWholeFile(folder_.Child("图片.jpeg")), "x");
}

TEST_F(WriteFileTest, FailsWithoutCreatingAnything) {
    EXPECT_FALSE(WriteFile(Text(), Bytes("x")));
    EXPECT_FALSE(WriteFile(PathOf("missing/1.jpeg"), Bytes("x")));
    EXPECT_FALSE(std::filesystem::exists(folder_.Child("missing")));
    std::filesystem::create_directory(folder_.Child("dir"));
    EXPECT_FALSE(WriteFile(PathOf("dir"), Bytes("x")));  // a folder is no file to replace
    EXPECT_TRUE(std::filesystem::is_directory(folder_.Child("dir")));
    EXPECT_EQ(EntryCount(folder_.path()), 1u);
}

TEST(UptimeMs, FollowsTheClock) {
    const int32_t before = UptimeMs();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const int32_t elapsed = static_cast<int32_t>(static_cast<uint32_t>(UptimeMs()) - static_cast<uint32_t>(before));
    EXPECT_GE(elapsed, 19);
    EXPECT_LT(elapsed, 5000);
}

TEST(PumpEvents, RunsPostedTasksAndReturnsWhenEmpty) {
    PumpEvents();  // nothing queued: returns at once
    int ran = 0;
    std::thread poster([&, target = std::this_thread::get_id()] { platform::PostTask(target, [&] { ++ran; }); });
    poster.join();
    EXPECT_EQ(ran, 0);
    PumpEvents();
    EXPECT_EQ(ran, 1);
    PumpEvents();
    EXPECT_EQ(ran, 1);
}

}  // namespace
}  // namespace qimbra
