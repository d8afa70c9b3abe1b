#include "platform/encoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace qimbra::platform {
namespace {

TEST(Encoding, Cp936RoundTrips) {
    struct Case {
        std::string utf8, cp936;
    };
    const Case kCases[] = {
        {"采集完成", "\xB2\xC9\xBC\xAF\xCD\xEA\xB3\xC9"},
        {"\xE3\x80\x80", "\xA1\xA1"},  // the full-width space
        {"\xE4\xBD\xA0\xE5\xA5\xBD", "\xC4\xE3\xBA\xC3"},
        {"Qimbra采集器", "Qimbra\xB2\xC9\xBC\xAF\xC6\xF7"},
        {"\xE2\x82\xAC", "\x80"},  // the euro sign of the Windows table
        {std::string("a\0b", 3), std::string("a\0b", 3)},
        {"", ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(Utf8ToCp936(c.utf8), c.cp936);
        EXPECT_EQ(Cp936ToUtf8(c.cp936), c.utf8);
        EXPECT_EQ(FromUtf16(kCodePageGbk, ToUtf16(kCodePageUtf8, c.utf8)), c.cp936);
        EXPECT_EQ(FromUtf16(kCodePageAnsi, ToUtf16(kCodePageAnsi, c.cp936)), c.cp936);
    }
}

TEST(Encoding, UnmappableBecomesQuestionMark) {
    EXPECT_EQ(Utf8ToCp936("a\xE0\xB8\x81z"), "a?z");      // Thai ko kai
    EXPECT_EQ(Utf8ToCp936("a\xF0\x9F\x98\x80z"), "a?z");  // an emoji, one character
    EXPECT_EQ(Utf16ToCp936(u"a\xD800z"), "a?z");          // an unpaired surrogate
    EXPECT_EQ(FromUtf16(kCodePageUtf8, u"a\xDC00z"), "a?z");
}

TEST(Encoding, InvalidInputBecomesReplacementCharacter) {
    EXPECT_EQ(Cp936ToUtf16("a\x81\x7F"), u"a\xFFFD\x7F");  // 7F is no second byte
    EXPECT_EQ(Cp936ToUtf16("a\xB0"), u"a\xFFFD");          // a lead byte at the end
    EXPECT_EQ(ToUtf16(kCodePageUtf8, "a\xFFz"), u"a\xFFFDz");
    EXPECT_EQ(ToUtf16(kCodePageUtf8, "a\xE4\xBD"), u"a\xFFFD");  // a cut-off sequence
    EXPECT_EQ(Utf8ToCp936("\xC0\xAF"), "??");                    // overlong: each byte invalid, U+FFFD has no GBK form
    // A lead byte before a space: the space survives. The table's own
    // mappings stay as Windows has them: FF is a private-use character.
    EXPECT_EQ(Cp936ToUtf16("\x81 \xFF\x81\x40"), u"\xFFFD \xF8F5\x4E02");
}

TEST(Encoding, UnknownCodePageGivesEmpty) {
    EXPECT_TRUE(ToUtf16(1252, "abc").empty());
    EXPECT_TRUE(FromUtf16(1252, u"abc").empty());
}

TEST(Encoding, LongTextConvertsWhole) {
    std::string utf8;
    for (int i = 0; i < 100000; ++i) utf8 += "采a";
    const std::string cp936 = Utf8ToCp936(utf8);
    ASSERT_EQ(cp936.size(), 300000u);
    EXPECT_EQ(Cp936ToUtf8(cp936), utf8);
}

// Utf8ToCp936 converts in pieces; every piece size gives what converting the
// whole text through UTF-16 at once gives, also when sequences, broken ones
// and runs of continuation bytes fall on the piece ends.
TEST(Encoding, PiecewiseUtf8ConversionMatchesTheWholeConversion) {
    // Lead bytes of every length, continuation bytes, bytes that never start
    // anything, surrogates encoded in UTF-8, ASCII and a zero byte.
    const std::string kAlphabet[] = {
        "a",    "\xE4\xBD\xA0", "\xE4",         "\xBD",         "\xA0", "\x80", "\xBF",         "\xC3",
        "\xA9", "\xF0",         "\x9F\x98\x80", "\xED\xA0\x80", "\xFF", "\xC0", "\xE2\x82\xAC", std::string(1, '\0')};
    std::mt19937 random(20261211);
    auto whole = [](const std::string& utf8) { return FromUtf16(kCodePageGbk, ToUtf16(kCodePageUtf8, utf8)); };
    for (int round = 0; round < 200; ++round) {
        std::string utf8;
        const size_t length = random() % 3000;
        while (utf8.size() < length) {
            const std::string& part = kAlphabet[random() % std::size(kAlphabet)];
            // Long runs of one part, the way pages repeat bytes.
            for (unsigned run = random() % 4 == 0 ? random() % 40 : 1; run > 0; --run) utf8 += part;
        }
        const size_t piece = 4 + random() % 29;
        SCOPED_TRACE("round " + std::to_string(round) + ", piece " + std::to_string(piece));
        ASSERT_EQ(Utf8ToCp936(utf8, piece), whole(utf8));
    }
    // The default pieces over a long page.
    std::string page;
    for (int i = 0; i < 20000; ++i) page += i % 7 ? "<a href=x>" : "\xE6\x98\xA5\xE6\x97\xA5\x80";
    EXPECT_EQ(Utf8ToCp936(page), whole(page));
}

}  // namespace
}  // namespace qimbra::platform
