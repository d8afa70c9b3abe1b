#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "values/tests/reference_walk.h"
#include "values/values.h"

namespace qimbra {
namespace {

using std::nullopt;

// Bytes of code page 936 written in hex where the characters matter:
// B0 A1 is one character, B0 alone a broken one.
const std::string kAh = "\xB0\xA1";  // 啊

std::vector<std::string> Elements(const TextArray& array) {
    std::vector<std::string> out;
    for (const Text& t : array) out.push_back(t.bytes());
    return out;
}

// One search of FindText or FindTextReverse and its 1-based answer.
struct FindCase {
    std::string text, needle;
    std::optional<int32_t> start;
    bool ignore_case;
    int32_t expected;
};

TEST(FindText, Cases) {
    const FindCase kCases[] = {
        {"a: b", ":", nullopt, false, 2},
        {"a: b", ":", 3, false, -1},
        {"a: b", ":", 0, false, 2},
        {"a: b", ":", 1, false, 2},
        {"a: b", ":", -7, false, 2},
        {"Cookie: x", "cookie:", nullopt, false, -1},
        {"Cookie: x", "cookie:", nullopt, true, 1},
        {"abc", "", nullopt, false, 1},
        {"abc", "", 3, false, 1},
        {"abc", "", 4, false, -1},
        {"", "", nullopt, false, -1},
        {"", "a", nullopt, false, -1},
        {"abc", "abcd", nullopt, false, -1},
        {"abc", "c", 2147483647, false, -1},
        // The second byte of a character is no stop, unless the walk starts there.
        {"\xB0\x41x", "A", nullopt, false, -1},
        {"\xB0\x41x", "A", 2, false, 2},
        {"\xB0\x41\x41", "A", nullopt, false, 3},
        // A needle that would match across a character boundary.
        {"\xB0\xA1\xB0\xA1", "\xA1\xB0", nullopt, false, -1},
        {"\xB0\xA1\xB0\xA1", "\xA1\xB0", 2, false, 2},
        // Starting on a second byte shifts the pairing of the lead bytes that follow.
        {"\xB0\xA1\xB0\xA1", "\xB0\xA1", 2, false, -1},
        {"x\xB0\xA1\xB0\xA1", "\xA1\xB0", 3, false, 3},
        // A broken character at the end: found when it is the needle, never passed.
        {"ab\xB0", "\xB0", nullopt, false, 3},
        {"\xC1\xB0\xB0", "\xB0", nullopt, false, 3},
        {"\xB0\xA1\xB0", "\xA1", nullopt, false, -1},
        // Ignoring case folds A-Z only, also as second byte; other bytes exactly.
        {"\xB0\x61", "\xB0\x41", nullopt, true, 1},
        {"\xB0\x61", "\xB0\x41", nullopt, false, -1},
        {"[", "{", nullopt, true, -1},
        {"@", "`", nullopt, true, -1},
        {"\xC1", "\xE1", nullopt, true, -1},
        {"xxABCxabc", "abc", 5, true, 7},
    };
    for (const FindCase& c : kCases) {
        SCOPED_TRACE(::testing::PrintToString(c.text) + " / " + ::testing::PrintToString(c.needle));
        EXPECT_EQ(FindText(Text(c.text), Text(c.needle), c.start, c.ignore_case), c.expected);
        EXPECT_EQ(reference::FindText(c.text, c.needle, c.start, c.ignore_case), c.expected);
    }
}

TEST(FindTextReverse, Cases) {
    const FindCase kCases[] = {
        {"abcabc", "abc", nullopt, false, 4},
        {"abcabc", "abc", 7, false, 4},
        {"abcabc", "abc", 100, false, 4},
        {"abcabc", "abc", 4, false, 1},
        {"abcabc", "abc", 5, false, 1},
        {"abcabc", "abc", 6, false, 1},
        {"abcabc", "abc", 1, false, -1},
        {"abcabc", "abc", 0, false, -1},
        {"abcabc", "abc", -3, false, -1},
        {"abcabc", "", nullopt, false, 1},
        {"abcabc", "", 2, false, 1},
        {"abcabc", "", 1, false, -1},
        {"", "", nullopt, false, -1},
        {"ABCabc", "abc", nullopt, true, 4},
        {"abcABC", "abc", nullopt, true, 4},
        {"abcABC", "abc", nullopt, false, 1},
        {"aaaa", "aa", nullopt, false, 3},
        // Stops come from a walk from the first byte.
        {"\xB0\x41\xB0\x41", "A", nullopt, false, -1},
        {"\xB0\x41\x41", "A", nullopt, false, 3},
        {"\xB0\xA1\xB0\xA1", "\xA1\xB0", nullopt, false, -1},
        {"a\xB0", "\xB0", nullopt, false, 2},
        {"a\xB0", "a", nullopt, false, 1},
    };
    for (const FindCase& c : kCases) {
        SCOPED_TRACE(::testing::PrintToString(c.text) + " / " + ::testing::PrintToString(c.needle) + " / " +
                     ::testing::PrintToString(c.start));
        EXPECT_EQ(FindTextReverse(Text(c.text), Text(c.needle), c.start, c.ignore_case), c.expected);
        EXPECT_EQ(reference::FindTextReverse(c.text, c.needle, c.start, c.ignore_case), c.expected);
    }
}

TEST(ReplaceText, Cases) {
    struct Case {
        std::string text, find;
        std::optional<std::string> with;
        std::optional<int32_t> start, count;
        bool case_sensitive;
        std::string expected;
    };
    const Case kCases[] = {
        {"aXbXc", "X", "-", nullopt, nullopt, true, "a-b-c"},
        {"aXbXc", "X", "-", nullopt, 1, true, "a-bXc"},
        {"aXbXc", "X", "-", 3, nullopt, true, "aXb-c"},
        {"aXbXc", "X", "-", nullopt, 0, true, "aXbXc"},
        {"aXbXc", "X", "-", nullopt, -1, true, "a-b-c"},
        {"aXbXc", "X", "-", -5, nullopt, true, "a-b-c"},
        {"aXbXc", "X", "-", 6, nullopt, true, "aXbXc"},
        {"aXbXc", "X", nullopt, nullopt, nullopt, true, "abc"},
        {"aXbXc", "", "-", nullopt, nullopt, true, "aXbXc"},
        {"", "X", "-", nullopt, nullopt, true, ""},
        {"aaa", "aa", "b", nullopt, nullopt, true, "ba"},
        {"aa", "a", "aa", nullopt, nullopt, true, "aaaa"},
        {"Cookie: a", "cookie:", nullopt, nullopt, nullopt, false, " a"},
        {"Cookie: a", "cookie:", nullopt, nullopt, nullopt, true, "Cookie: a"},
        // No match at a second byte; a match may end inside a character, and
        // the walk goes on right behind it.
        {"\xB0\x58X", "X", "-", nullopt, nullopt, true, "\xB0\x58-"},
        {"\xB0\x58X", "X", "-", 2, nullopt, true, "\xB0--"},
        {"a\xB0\xA1\xA1", "a\xB0", "", nullopt, nullopt, true, "\xA1\xA1"},
        // A broken character at the end is dropped when the walk reaches it...
        {"aXb\xB0", "X", "-", nullopt, nullopt, true, "a-b"},
        {"\xB0", "X", "-", nullopt, nullopt, true, ""},
        // ...kept when the walk ends earlier (a longer needle, a reached limit)...
        {"aXb\xB0", "Xb", "-", nullopt, nullopt, true, "a-\xB0"},
        {"aXb\xB0", "X", "-", nullopt, 1, true, "a-b\xB0"},
        {"ab\xB0", "ab", "-", nullopt, nullopt, true, "-\xB0"},
        // ...and replaced when it is the needle.
        {"a\xB0", "\xB0", "-", nullopt, nullopt, true, "a-"},
        // It is a second byte, not broken, when the walk pairs it.
        {"a\xB0\xB0", "X", "-", 3, nullopt, true, "a\xB0"},
        {"a\xB0\xB0", "X", "-", 2, nullopt, true, "a\xB0\xB0"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(::testing::PrintToString(c.text) + " / " + ::testing::PrintToString(c.find));
        const std::optional<Text> with = c.with ? std::optional<Text>(Text(*c.with)) : nullopt;
        EXPECT_EQ(ReplaceText(Text(c.text), Text(c.find), with, c.start, c.count, c.case_sensitive).bytes(),
                  c.expected);
        EXPECT_EQ(reference::ReplaceText(c.text, c.find, c.with, c.start, c.count, c.case_sensitive), c.expected);
    }
}

TEST(SplitText, Cases) {
    struct Case {
        std::string text;
        std::optional<std::string> delimiter;
        std::optional<int32_t> max_count;
        std::vector<std::string> expected;
    };
    const Case kCases[] = {
        {"a,,b,", ",", nullopt, {"a", "", "b"}},
        {",a", nullopt, nullopt, {"", "a"}},
        {"abc", "-", nullopt, {"abc"}},
        {"", ",", nullopt, {}},
        {"a,b,c", nullopt, 2, {"a", "b"}},
        {"a,b", nullopt, 2, {"a", "b"}},
        {"a,b,c", nullopt, 0, {}},
        {"a,b,c", nullopt, -1, {}},
        {"abc", "", nullopt, {"abc"}},
        {"a\r\nb\r\n", "\r\n", nullopt, {"a", "b"}},
        {",", nullopt, nullopt, {""}},
        {"aXbxc", "x", nullopt, {"aXb", "c"}},
        // Delimiters at second bytes are not delimiters.
        {"\xB0,a,b", ",", nullopt, {"\xB0,a", "b"}},
        {"\xB0\xA1\xB0\xA1", "\xA1\xB0", nullopt, {"\xB0\xA1\xB0\xA1"}},
        // A broken character at the end ends the walk but stays in the last piece.
        {"a,\xB0", ",", nullopt, {"a", "\xB0"}},
        {"a,b\xB0", "b\xB0", nullopt, {"a,"}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(::testing::PrintToString(c.text));
        const std::optional<Text> delimiter = c.delimiter ? std::optional<Text>(Text(*c.delimiter)) : nullopt;
        EXPECT_EQ(Elements(SplitText(Text(c.text), delimiter, c.max_count)), c.expected);
        EXPECT_EQ(reference::SplitText(c.text, c.delimiter, c.max_count), c.expected);
    }
}

// Texts from a small alphabet, so that needles, both letter cases, lead bytes
// and their pairing keep colliding; long enough that the search's fallbacks
// (a common rare byte, long runs of lead bytes) come into play.
class RandomTexts {
  public:
    explicit RandomTexts(uint32_t seed) : generator_(seed) {}

    std::string Make(size_t max_length) {
        static const char kAlphabet[] = {'a', 'A', 'b', 'B', ',', ' ', '\xB0', '\xA1', '\x41', '\xE1', 'z'};
        std::string s(std::uniform_int_distribution<size_t>(0, max_length)(generator_), 'a');
        const size_t width = std::uniform_int_distribution<size_t>(2, sizeof(kAlphabet))(generator_);
        for (char& c : s) c = kAlphabet[std::uniform_int_distribution<size_t>(0, width - 1)(generator_)];
        return s;
    }
    int32_t Number(int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(generator_); }
    bool Coin() { return Number(0, 1) == 1; }

  private:
    std::mt19937 generator_;
};

TEST(TextSearch, AgreesWithPlainWalkOnRandomTexts) {
    RandomTexts random(20240611);
    for (int round = 0; round < 6000; ++round) {
        const std::string s = random.Make(round % 10 == 0 ? 400 : 24);
        const std::string needle = random.Make(round % 3 == 0 ? 1 : 4);
        const std::string with = random.Make(2);
        const std::optional<int32_t> start =
            random.Coin() ? std::nullopt
                          : std::optional<int32_t>(random.Number(-1, static_cast<int32_t>(s.size()) + 2));
        const std::optional<int32_t> count =
            random.Coin() ? std::nullopt : std::optional<int32_t>(random.Number(-1, 3));
        const bool flag = random.Coin();
        SCOPED_TRACE(::testing::PrintToString(s) + " / " + ::testing::PrintToString(needle) + " / " +
                     ::testing::PrintToString(start) + " / " + ::testing::PrintToString(count) + " / " +
                     ::testing::PrintToString(flag));
        ASSERT_EQ(FindText(Text(s), Text(needle), start, flag), reference::FindText(s, needle, start, flag));
        ASSERT_EQ(FindTextReverse(Text(s), Text(needle), start, flag),
                  reference::FindTextReverse(s, needle, start, flag));
        ASSERT_EQ(ReplaceText(Text(s), Text(needle), Text(with), start, count, flag).bytes(),
                  reference::ReplaceText(s, needle, with, start, count, flag));
        ASSERT_EQ(Elements(SplitText(Text(s), Text(needle), count)), reference::SplitText(s, needle, count));
    }
}

// The two searches that once ended too early: the rare byte of the needle
// kept giving false hits, the search moved to another byte of the needle, and
// an occurrence right at the end of the text was missed.
TEST(TextSearch, FindsOccurrencesAtTheEndAfterManyFalseHits) {
    const FindCase kCases[] = {
        {std::string(30, 'k') + "Cookie:", "Cookie:", nullopt, true, 31},
        {std::string(300, 'k') + "cOOKIE:", "Cookie:", nullopt, true, 301},
        {std::string(30, 'k') + "Cookie:", "Cookie:", nullopt, false, 31},
        {std::string(71, ';') + "X", ";x", nullopt, true, 71},
        {std::string(71, ';') + "x", ";X", nullopt, true, 71},
        {std::string(71, ';') + "x" + std::string(5, ';'), ";x", nullopt, true, 71},
    };
    for (const FindCase& c : kCases) {
        SCOPED_TRACE(::testing::PrintToString(c.text) + " / " + ::testing::PrintToString(c.needle));
        EXPECT_EQ(FindText(Text(c.text), Text(c.needle), c.start, c.ignore_case), c.expected);
        EXPECT_EQ(FindTextReverse(Text(c.text), Text(c.needle), c.start, c.ignore_case), c.expected);
    }
    // The same texts through the operations built on the search.
    EXPECT_EQ(ReplaceText(Text(std::string(30, 'k') + "Cookie: a"), Text("cookie:"), nullopt, nullopt, nullopt, false)
                  .bytes(),
              std::string(30, 'k') + " a");
    EXPECT_EQ(ReplaceText(Text(std::string(71, ';') + "X"), Text(";x"), Text("-"), nullopt, nullopt, false).bytes(),
              std::string(70, ';') + "-");
}

// Texts built to reach the corners of the fast search: long runs of one byte
// of the needle (an anchor byte that keeps giving false hits, so that the
// search changes tactics part-way), copies of the needle in either letter
// case, often right at the end of the text, and two-byte characters whose
// second byte is one of the needle's bytes.
class RepetitiveTexts {
  public:
    explicit RepetitiveTexts(uint32_t seed) : generator_(seed) {}

    int32_t Number(int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(generator_); }
    bool OneIn(int32_t n) { return Number(1, n) == 1; }

    // A needle of one to nine bytes taken from a small palette.
    std::string Needle() {
        static const char kPool[] = {'k', 'K', 'c', 'o', ':', ';', 'x', 'X', ' ', '=', 'a', '\xB0', '\xA1', '\xC1'};
        palette_.clear();
        const int32_t width = Number(1, 4);
        for (int32_t i = 0; i < width; ++i) palette_.push_back(kPool[Number(0, sizeof(kPool) - 1)]);
        std::string needle(static_cast<size_t>(Number(1, 9)), ' ');
        for (char& c : needle) c = PaletteByte();
        return needle;
    }

    // A text of about `length` bytes made of the last needle's palette.
    std::string Haystack(const std::string& needle, size_t length) {
        std::string s;
        while (s.size() < length) {
            switch (Number(0, 4)) {
                case 0:
                    s.append(static_cast<size_t>(Number(1, 150)), PaletteByte());
                    break;
                case 1:
                    s.append(MixedCase(needle));
                    break;
                case 2:
                    s.push_back(OneIn(2) ? '\xB0' : '\xC1');
                    s.push_back(PaletteByte());
                    break;
                default:
                    for (int32_t i = Number(1, 6); i > 0; --i) s.push_back(PaletteByte());
                    break;
            }
        }
        if (OneIn(2)) s.append(MixedCase(needle));
        if (OneIn(4)) s.push_back(PaletteByte());
        return s;
    }

    std::string MixedCase(std::string s) {
        for (char& c : s) {
            const auto byte = static_cast<unsigned char>(c);
            if (((byte | 0x20) >= 'a' && (byte | 0x20) <= 'z') && OneIn(2)) c = static_cast<char>(byte ^ 0x20);
        }
        return s;
    }

  private:
    char PaletteByte() { return palette_[static_cast<size_t>(Number(0, static_cast<int32_t>(palette_.size()) - 1))]; }

    std::mt19937 generator_;
    std::string palette_;
};

TEST(TextSearch, AgreesWithPlainWalkOnLongRepetitiveTexts) {
    RepetitiveTexts random(1103);
    for (int round = 0; round < 300; ++round) {
        const std::string needle = random.Needle();
        const std::string s =
            random.Haystack(needle, static_cast<size_t>(random.Number(0, round % 25 == 0 ? 3000 : 400)));
        const std::string asked = random.OneIn(3) ? random.MixedCase(needle) : needle;
        const Text text(s);
        const Text search(asked);
        SCOPED_TRACE(::testing::PrintToString(s) + " / " + ::testing::PrintToString(asked));
        const int32_t length = static_cast<int32_t>(s.size());
        for (const bool flag : {false, true}) {
            SCOPED_TRACE(flag);
            // Every start position, and past both ends.
            const int32_t step = length > 1000 ? 7 : 1;
            for (int32_t start = -1; start <= length + 2; start += step) {
                SCOPED_TRACE(start);
                ASSERT_EQ(FindText(text, search, start, flag), reference::FindText(s, asked, start, flag));
                ASSERT_EQ(FindTextReverse(text, search, start, flag),
                          reference::FindTextReverse(s, asked, start, flag));
                const std::optional<int32_t> count =
                    random.OneIn(2) ? std::nullopt : std::optional<int32_t>(random.Number(-1, 4));
                ASSERT_EQ(ReplaceText(text, search, Text("-"), start, count, flag).bytes(),
                          reference::ReplaceText(s, asked, "-", start, count, flag));
            }
            ASSERT_EQ(FindText(text, search, nullopt, flag), reference::FindText(s, asked, nullopt, flag));
            ASSERT_EQ(FindTextReverse(text, search, nullopt, flag),
                      reference::FindTextReverse(s, asked, nullopt, flag));
        }
        for (const std::optional<int32_t> max_count : {std::optional<int32_t>(), std::optional<int32_t>(3)}) {
            ASSERT_EQ(Elements(SplitText(text, search, max_count)), reference::SplitText(s, asked, max_count));
        }
    }
}

}  // namespace
}  // namespace qimbra
