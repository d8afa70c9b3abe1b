// PatternMatcher with fuzzed patterns, options and subjects: every query
// answers within its contract whatever the pattern, and a match's position
// points at its text in the subject.
#include "textkit/pattern_matcher.h"

#include <string>

#include "fuzz/fuzz_checks.h"
#include "values/text_ops.h"

using namespace qimbra;

namespace {

bool SameAt(const Text& subject, int32_t position, const Text& found, bool ignore_case) {
    return FindText(subject, found, position + 1, ignore_case) == position + 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    const std::optional<bool> case_sensitive = fuzz::MaybeBool(data);
    const std::optional<bool> multiline = fuzz::MaybeBool(data);
    const std::optional<bool> global = fuzz::MaybeBool(data);
    const std::optional<bool> expand = fuzz::MaybeBool(data);
    const Text pattern = fuzz::TakeText(data, 48);
    const std::optional<Text> replacement = fuzz::MaybeText(data, 8);
    const Text subject(data.ConsumeRemainingBytesAsString());

    PatternMatcher matcher;
    QIMBRA_REQUIRE(matcher.MatchCount() == 0 && matcher.GetPattern().empty());
    const bool made = matcher.Create(pattern, subject, case_sensitive, multiline, global, expand);
    const int32_t count = matcher.MatchCount();
    QIMBRA_REQUIRE(count >= 0);
    if (!made) {
        QIMBRA_REQUIRE(count == 0 && matcher.SubMatchCount() == 0 && matcher.ReplaceMatches(replacement).empty());
    }
    if (!global.value_or(true)) QIMBRA_REQUIRE(count <= 1);
    const int32_t groups = matcher.SubMatchCount();
    QIMBRA_REQUIRE(groups >= 0);
    const bool ignore_case = !case_sensitive.value_or(false);
    const bool ascii = fuzz::IsAscii(subject);
    for (int32_t i = 1; i <= count && i <= 16; ++i) {
        int32_t position = 0;
        const Text found = matcher.MatchText(i, &position);
        QIMBRA_REQUIRE(position >= -2 && position < subject.size() + 1);
        // Positions are searched in the subject as it comes back from UTF-16,
        // which is the subject itself when it is ASCII.
        if (ascii && position >= 0 && !found.empty()) QIMBRA_REQUIRE(SameAt(subject, position, found, ignore_case));
        for (int32_t g = 0; g <= groups + 1 && g <= 8; ++g) {
            int32_t group_position = 0;
            const Text group = matcher.SubMatchText(i, g, &group_position);
            QIMBRA_REQUIRE(group_position >= -2 && group_position < subject.size() + 1);
            if (g == 0 || g > groups) QIMBRA_REQUIRE(group.empty());
        }
    }
    int32_t outside = 7;
    QIMBRA_REQUIRE(matcher.MatchText(count + 1, &outside).empty() && outside == -2);
    QIMBRA_REQUIRE(matcher.MatchText(0).empty() && matcher.MatchText(-1).empty());
    const Text replaced = matcher.ReplaceMatches(replacement);
    if (made && count == 0 && ascii) QIMBRA_REQUIRE(replaced == subject);

    // A copy answers as the original does.
    const PatternMatcher copy = matcher;
    QIMBRA_REQUIRE(copy.MatchCount() == count && copy.GetPattern() == matcher.GetPattern());
    if (count > 0) QIMBRA_REQUIRE(copy.MatchText(count) == matcher.MatchText(count));
    return 0;
}
