#include "values/needle_finder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace qimbra {
namespace {

unsigned char Folded(char byte) {
    const auto b = static_cast<unsigned char>(byte);
    return b >= 'A' && b <= 'Z' ? b | 0x20 : b;
}

// Every start of `needle` in `haystack`, by comparing at each position.
std::vector<size_t> PlainWalk(std::string_view haystack, std::string_view needle, bool ignore_case) {
    std::vector<size_t> starts;
    for (size_t q = 0; q + needle.size() <= haystack.size(); ++q) {
        bool equal = true;
        for (size_t i = 0; i < needle.size() && equal; ++i) {
            equal = ignore_case ? Folded(haystack[q + i]) == Folded(needle[i]) : haystack[q + i] == needle[i];
        }
        if (equal) starts.push_back(q);
    }
    return starts;
}

std::vector<size_t> AllOccurrences(std::string_view haystack, std::string_view needle, bool ignore_case) {
    NeedleFinder finder(needle, ignore_case);
    std::vector<size_t> starts;
    for (size_t q = finder.Next(haystack, 0); q != NeedleFinder::npos; q = finder.Next(haystack, q + 1)) {
        starts.push_back(q);
    }
    return starts;
}

// Long texts of few distinct bytes, so that every rare-byte anchor proves
// common and the search moves through all its tactics, down to the last.
TEST(NeedleFinder, AgreesWithPlainWalkOnLongRepetitiveTexts) {
    static const char kAlphabet[] = {'a', 'b', 'A', 'B', '\xB0', '\xA1', ' ', '<'};
    std::mt19937 generator(61);
    auto number = [&](size_t low, size_t high) { return std::uniform_int_distribution<size_t>(low, high)(generator); };
    for (int round = 0; round < 300; ++round) {
        const size_t width = number(1, sizeof(kAlphabet));
        auto make = [&](size_t length) {
            std::string s(length, 'a');
            for (char& c : s) c = kAlphabet[number(0, width - 1)];
            return s;
        };
        // Either a random needle or a periodic one, whose near-misses repeat.
        std::string needle = make(number(1, 24));
        if (round % 2 == 0) {
            const std::string period = needle.substr(0, number(1, needle.size()));
            needle.clear();
            while (needle.size() < 12) needle += period;
            needle.back() = kAlphabet[number(0, width - 1)];
        }
        std::string haystack = make(number(0, 60000));
        // Plant some occurrences among the near-misses.
        for (size_t n = number(0, 4); n > 0 && haystack.size() > needle.size(); --n) {
            haystack.replace(number(0, haystack.size() - needle.size()), needle.size(), needle);
        }
        const bool ignore_case = round % 3 == 1;
        SCOPED_TRACE(::testing::Message() << "round " << round << ", needle " << ::testing::PrintToString(needle)
                                          << ", " << haystack.size() << " bytes, ignore_case " << ignore_case);
        ASSERT_EQ(AllOccurrences(haystack, needle, ignore_case), PlainWalk(haystack, needle, ignore_case));
    }
}

}  // namespace
}  // namespace qimbra
