#include "values/byte_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

namespace qimbra {
namespace {

constexpr size_t npos = std::string_view::npos;

TEST(FindBytes, Edges) {
    struct Case {
        std::string_view haystack, needle;
        size_t expected;
    };
    const Case kCases[] = {
        {"", "", 0},
        {"abc", "", 0},
        {"", "a", npos},
        {"ab", "abc", npos},
        {"abc", "abc", 0},
        {"xabcabd", "abd", 4},
        {"aaaaab", "aab", 3},
        {"abababababc", "ababc", 6},
        {std::string_view("a\0b\0c", 5), std::string_view("b\0c", 3), 2},
        {"\xB0\xA1\xB0\xA1\xB0", "\xA1\xB0\xA1\xB0", 1},
        {"zzzzzzzzzz", "zzzzzzzzzy", npos},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(c.haystack)) + " / " +
                     ::testing::PrintToString(std::string(c.needle)));
        EXPECT_EQ(FindBytes(c.haystack, c.needle), c.expected);
    }
}

// Long texts of two or three bytes with periodic needles: the cases where a
// search shifts wrongly after a long partial match.
TEST(FindBytes, AgreesWithTheLibrarySearchOnLongRepetitiveTexts) {
    std::mt19937 generator(7);
    auto number = [&](size_t low, size_t high) { return std::uniform_int_distribution<size_t>(low, high)(generator); };
    static const char kAlphabet[] = {'a', 'b', '\xFF'};
    for (int round = 0; round < 2000; ++round) {
        const size_t width = number(1, sizeof(kAlphabet));
        auto make = [&](size_t length) {
            std::string s(length, 'a');
            for (char& c : s) c = kAlphabet[number(0, width - 1)];
            return s;
        };
        std::string needle = make(number(1, 8));
        while (needle.size() < 40 && number(0, 3) != 0) needle += needle;
        if (number(0, 1) == 1) needle.back() = kAlphabet[number(0, width - 1)];
        std::string haystack = make(number(0, round % 20 == 0 ? 200000 : 2000));
        for (size_t i = number(0, 3); i > 0 && haystack.size() > needle.size(); --i) {
            haystack.replace(number(0, haystack.size() - needle.size()), needle.size(), needle);
        }
        SCOPED_TRACE(::testing::Message() << "round " << round << ", needle " << ::testing::PrintToString(needle)
                                          << ", " << haystack.size() << " bytes");
        ASSERT_EQ(FindBytes(haystack, needle), std::string_view(haystack).find(needle));
        // Every later start too, as NeedleFinder asks.
        const size_t from = number(0, haystack.size());
        const size_t expected = std::string_view(haystack).find(needle, from);
        const size_t found = FindBytes(std::string_view(haystack).substr(from), needle);
        ASSERT_EQ(found == npos ? npos : from + found, expected);
    }
}

}  // namespace
}  // namespace qimbra
