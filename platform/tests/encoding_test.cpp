#include "platform/encoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
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
    // A lead byte before a space: the space survives.
    EXPECT_EQ(Cp936ToUtf16("\x81 \x81\x40"), u"\xFFFD \x4E02");
}

// Every two-byte character of the table (lead 81 to FE, second byte 40 to FE
// but 7F) round-trips, and all of them map to the same UTF-16 units on every
// system: Windows, Wine and ICU agree here (Wine differs at the table's edge,
// the single byte FF). A checksum of the whole run pins it, FNV-1a over the
// units.
TEST(Encoding, TwoByteTableIsTheSameEverywhere) {
    std::string all;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            all.push_back(static_cast<char>(lead));
            all.push_back(static_cast<char>(trail));
        }
    }
    const std::u16string units = Cp936ToUtf16(all);
    uint32_t hash = 2166136261u;
    for (char16_t unit : units) hash = (hash ^ unit) * 16777619u;
    EXPECT_EQ(units.size(), all.size() / 2);
    EXPECT_EQ(hash, 534904043u);
    EXPECT_EQ(Utf16ToCp936(units), all);
}

// Random runs of the bytes where UTF-8 decoders part ways (cut-off sequences,
// overlong forms, encoded surrogates, bytes past U+10FFFF) convert alike on
// every system: each maximal part of a broken sequence becomes one U+FFFD and
// no byte after it is lost. A checksum of all results pins it, FNV-1a.
TEST(Encoding, InvalidUtf8IsReplacedTheSameEverywhere) {
    static const unsigned char kBytes[] = {'a',  0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2,
                                           0xDF, 0xE0, 0xE4, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
    std::mt19937 generator(936);
    uint32_t hash = 2166136261u;
    size_t replaced = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string utf8(std::uniform_int_distribution<size_t>(1, 10)(generator), 'a');
        for (char& c : utf8) {
            c = static_cast<char>(kBytes[std::uniform_int_distribution<size_t>(0, std::size(kBytes) - 1)(generator)]);
        }
        const std::u16string units = ToUtf16(kCodePageUtf8, utf8);
        ASSERT_LE(units.size(), utf8.size());
        // Every "a" comes through.
        ASSERT_EQ(std::count(units.begin(), units.end(), u'a'), std::count(utf8.begin(), utf8.end(), 'a'));
        for (char16_t unit : units) {
            hash = (hash ^ unit) * 16777619u;
            replaced += unit == 0xFFFD;
        }
        hash = (hash ^ 0x10000u) * 16777619u;  // the end of one result
    }
    EXPECT_GT(replaced, 20000u);
    EXPECT_EQ(hash, 3787520581u);
}

// Random texts in both directions convert alike on every system: code page
// 936 bytes with stray lead and second bytes, and UTF-16 with unpaired
// surrogates, characters beyond the BMP and characters the code page lacks.
// Wine's table edge (the byte FF, the private-use area) is left out. A
// checksum of all results pins them, FNV-1a.
TEST(Encoding, RandomTextsConvertTheSameEverywhere) {
    static const unsigned char kBytes[] = {'a', 0x40, 0x7F, 0x80, 0x81, 0xA1, 0xB0, 0xC4, 0xE3, 0xFE};
    static const char16_t kUnits[] = {u'a',   0x00E9, 0x0E01, 0x20AC, 0x3000, 0x4E02, 0x4F60,
                                      0x9F98, 0xD800, 0xD83D, 0xDC00, 0xDE00, 0xFF01, 0xFFFD};
    std::mt19937 generator(65001);
    uint32_t hash = 2166136261u;
    auto mix = [&](uint32_t value) { hash = (hash ^ value) * 16777619u; };
    for (int round = 0; round < 20000; ++round) {
        const size_t length = std::uniform_int_distribution<size_t>(1, 10)(generator);
        std::string cp936(length, 'a');
        for (char& c : cp936) {
            c = static_cast<char>(kBytes[std::uniform_int_distribution<size_t>(0, std::size(kBytes) - 1)(generator)]);
        }
        std::u16string units(length, u'a');
        for (char16_t& u : units)
            u = kUnits[std::uniform_int_distribution<size_t>(0, std::size(kUnits) - 1)(generator)];

        for (char16_t unit : Cp936ToUtf16(cp936)) mix(unit);
        mix(0x10000u);
        for (unsigned char byte : Utf16ToCp936(units)) mix(byte);
        mix(0x10000u);
        for (unsigned char byte : FromUtf16(kCodePageUtf8, units)) mix(byte);
        mix(0x10000u);
    }
    EXPECT_EQ(hash, 585777911u);
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
