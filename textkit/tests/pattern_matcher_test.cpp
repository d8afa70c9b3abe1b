#include "textkit/pattern_matcher.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "values/literal.h"
#include "values/text_ops.h"

namespace qimbra {
namespace {

std::vector<Text> AllMatches(const PatternMatcher& matcher) {
    std::vector<Text> out;
    for (int32_t i = 1; i <= matcher.MatchCount(); ++i) out.push_back(matcher.MatchText(i));
    return out;
}

// What MatchText (sub_index 0) or SubMatchText answers, and the position it
// stores (99 when it stores none).
std::pair<Text, int32_t> TextAndPosition(const PatternMatcher& matcher, int32_t index, int32_t sub_index) {
    int32_t position = 99;
    Text text =
        sub_index == 0 ? matcher.MatchText(index, &position) : matcher.SubMatchText(index, sub_index, &position);
    return {text, position};
}

TEST(PatternMatcher, NothingBeforeCreate) {
    const PatternMatcher matcher;
    int32_t position = 7;
    EXPECT_EQ(matcher.GetPattern(), Text());
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.SubMatchCount(), 0);
    EXPECT_EQ(matcher.MatchText(1, &position), Text());
    EXPECT_EQ(position, -2);
    EXPECT_EQ(matcher.SubMatchText(1, 1), Text());
    EXPECT_EQ(matcher.ReplaceMatches(Text("x")), Text());
}

TEST(PatternMatcher, NoMatchIsSuccess) {
    PatternMatcher matcher;
    EXPECT_TRUE(matcher.Create(Text("a"), Text("xyz")));
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.SubMatchCount(), 0);
    EXPECT_EQ(matcher.MatchText(1), Text());
    EXPECT_EQ(matcher.ReplaceMatches(Text("q")), Text("xyz"));
    EXPECT_EQ(matcher.GetPattern(), Text("a"));
}

TEST(PatternMatcher, RejectedPatternFailsAndClearsEarlierMatches) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Create(Text("b"), Text("abc")));
    ASSERT_EQ(matcher.MatchCount(), 1);

    EXPECT_FALSE(matcher.Create(Text("(a"), Text("abc")));
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.SubMatchCount(), 0);
    EXPECT_EQ(matcher.MatchText(1), Text());
    EXPECT_EQ(matcher.ReplaceMatches(Text("x")), Text());
    EXPECT_EQ(matcher.GetPattern(), Text("(a"));

    EXPECT_TRUE(matcher.Create(Text("c"), Text("abc")));
    EXPECT_EQ(matcher.MatchCount(), 1);
}

TEST(PatternMatcher, MatchLimitFailsCreate) {
    // Nested quantifiers over a subject that almost matches backtrack
    // exponentially; the engine's limit ends the attempt.
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Create(Text("a"), Text("a")));
    EXPECT_FALSE(matcher.Create(Text("(a+)+$"), Text(std::string(40, 'a') + "!")));
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.MatchText(1), Text());
}

TEST(PatternMatcher, OptionsAndDialect) {
    struct Case {
        const char* name;
        Text pattern, subject;
        std::optional<bool> case_sensitive, multiline, global;
        std::vector<Text> expected;
    };
    const Text crlf("one\r\ntwo\r\nthree");
    const Case kCases[] = {
        {"case ignored by default", Text("A"), Text("aA"), {}, {}, {}, {Text("a"), Text("A")}},
        {"case sensitive", Text("A"), Text("aA"), true, {}, {}, {Text("A")}},
        {"first match only", Text("A"), Text("aA"), {}, {}, false, {Text("a")}},
        {"multi-line by default", Text("^b"), Text("a\nb"), {}, {}, {}, {Text("b")}},
        {"single line", Text("^b"), Text("a\nb"), {}, false, {}, {}},
        {"lines split at CRLF", Text("^(.+)$"), crlf, {}, {}, {}, {Text("one"), Text("two"), Text("three")}},
        {"lines split at CR", Text("^\\w+$"), Text("one\rtwo"), {}, {}, {}, {Text("one"), Text("two")}},
        {"dot stops at line breaks", Text("^(.+)$"), crlf, {}, false, {}, {}},
        {"dot matches neither CR nor LF", Text("a.b"), Text("a\rb a\nb axb"), {}, {}, {}, {Text("axb")}},
        {"$ only at the very end", Text("b$"), Text("ab\n"), {}, false, {}, {}},
        {"$ at a line end", Text("b$"), Text("ab\n"), {}, true, {}, {Text("b")}},
        {"lazy quantifier", Text("<(.*?)>"), Text("<a><b>"), {}, {}, {}, {Text("<a>"), Text("<b>")}},
        {"greedy quantifier", Text("<(.*)>"), Text("<a><b>"), {}, {}, {}, {Text("<a><b>")}},
        {"empty matches advance", Text("x*"), Text("ab"), {}, {}, {}, {Text(), Text(), Text()}},
        {"empty and full matches", Text("a*"), Text("baaa"), {}, {}, {}, {Text(), Text("aaa"), Text()}},
        {"backreference", Text("(\\w)\\1"), Text("abccd"), {}, {}, {}, {Text("cc")}},
        {"unset backreference matches empty", Text("(?:(a)|b)\\1"), Text("b"), {}, {}, {}, {Text("b")}},
        {"empty class matches nothing", Text("a[]"), Text("a"), {}, {}, {}, {}},
        {"negated empty class matches anything", Text("a[^]b"), Text("a\nb"), {}, {}, {}, {Text("a\nb")}},
        {"\\u escape", Text("\\u4e2d."), Cp936("中文"), {}, {}, {}, {Cp936("中文")}},
        {"\\x escape", Text("\\x41"), Text("A"), true, {}, {}, {Text("A")}},
        {"double-byte pattern",
         Cp936("第(.)集"),
         Cp936("第一集 第二集"),
         {},
         {},
         {},
         {Cp936("第一集"), Cp936("第二集")}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        PatternMatcher matcher;
        ASSERT_TRUE(matcher.Create(c.pattern, c.subject, c.case_sensitive, c.multiline, c.global));
        EXPECT_EQ(AllMatches(matcher), c.expected);
    }
}

TEST(PatternMatcher, EntryListGroups) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Create(Text("href=(.*?)>(.*?)</a></"), Text("href=u1>t1</a></li> href=u2>t2</a></li>")));
    EXPECT_EQ(matcher.MatchCount(), 2);
    EXPECT_EQ(matcher.SubMatchCount(), 2);
    EXPECT_EQ(matcher.SubMatchText(1, 1), Text("u1"));
    EXPECT_EQ(matcher.SubMatchText(1, 2), Text("t1"));
    EXPECT_EQ(matcher.SubMatchText(2, 1), Text("u2"));
    EXPECT_EQ(matcher.SubMatchText(2, 2), Text("t2"));
    EXPECT_EQ(matcher.MatchText(2), Text("href=u2>t2</a></"));

    ASSERT_TRUE(
        matcher.Create(Text("href=(.*?)>(.*?)</a></"), Cp936("<li>二〇二四 href=p/7.html>第七集：海边</a></li>")));
    EXPECT_EQ(matcher.SubMatchText(1, 1), Text("p/7.html"));
    EXPECT_EQ(matcher.SubMatchText(1, 2), Cp936("第七集：海边"));
}

TEST(PatternMatcher, NumbersOutsideTheMatches) {
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Create(Text("(a)(b)?"), Text("a a")));
    ASSERT_EQ(matcher.MatchCount(), 2);
    struct Case {
        int32_t index, sub_index;  // sub_index 0: the whole match
        Text expected;
        int32_t position;
    };
    const Case kCases[] = {
        {3, 0, Text(), -2},   {0, 0, Text(), -2},   {-1, 0, Text(), -2}, {1, 3, Text(), -2},
        {1, 0, Text("a"), 0}, {2, 1, Text("a"), 2}, {2, 2, Text(), 0},  // a group that took part in no match: empty,
                                                                        // found at once
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.index << "/" << c.sub_index);
        const auto [got, position] = TextAndPosition(matcher, c.index, c.sub_index);
        EXPECT_EQ(got, c.expected);
        EXPECT_EQ(position, c.position);
    }
}

TEST(PatternMatcher, PositionSearch) {
    struct Case {
        const char* name;
        Text pattern, subject;
        std::optional<bool> case_sensitive;
        int32_t index, sub_index;  // sub_index 0: the whole match
        Text expected;
        int32_t position;
    };
    const Case kCases[] = {
        {"second match", Text("one"), Text("one two one"), {}, 2, 0, Text("one"), 8},
        {"group searched from the match", Text("(a)=(a)"), Text("xa=ay"), {}, 1, 2, Text("a"), 1},
        // Two double-byte characters in front: FirstIndex 3 units, byte offset 5.
        {"double-byte text in front", Text("abc"), Cp936("中文 abc"), {}, 1, 0, Text("abc"), 5},
        // FirstIndex 3 falls on a lead byte; the search steps to the first 'a'.
        {"an earlier occurrence is met", Text("a"), Cp936("中中aa"), {}, 2, 0, Text("a"), 4},
        // FirstIndex 2 is the second byte of a character; the walk steps over the match.
        {"the walk misses the match", Text("a"), Cp936("中文a"), {}, 1, 0, Text("a"), -2},
        {"exact search when case counts", Text("A"), Text("aA"), true, 1, 0, Text("A"), 1},
        {"folded search when case is ignored", Text("A"), Text("aA"), {}, 2, 0, Text("A"), 0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        PatternMatcher matcher;
        ASSERT_TRUE(matcher.Create(c.pattern, c.subject, c.case_sensitive));
        const auto [got, position] = TextAndPosition(matcher, c.index, c.sub_index);
        EXPECT_EQ(got, c.expected);
        EXPECT_EQ(position, c.position);
    }
}

TEST(PatternMatcher, QuoteToken) {
    const Text subject("x=\"1\"");
    PatternMatcher matcher;
    ASSERT_TRUE(matcher.Create(Cp936("x=#引号(.*?)#引号"), subject, std::nullopt, std::nullopt, std::nullopt, true));
    EXPECT_EQ(matcher.MatchCount(), 1);
    EXPECT_EQ(matcher.SubMatchText(1, 1), Text("1"));
    EXPECT_EQ(matcher.GetPattern(), Text("x=\"(.*?)\""));

    ASSERT_TRUE(matcher.Create(Cp936("x=#引号(.*?)#引号"), subject, std::nullopt, std::nullopt, std::nullopt, false));
    EXPECT_EQ(matcher.MatchCount(), 0);
    EXPECT_EQ(matcher.GetPattern(), Cp936("x=#引号(.*?)#引号"));
}

TEST(PatternMatcher, ReplaceMatches) {
    struct Case {
        Text pattern, subject;
        std::optional<Text> replacement;
        std::optional<bool> global;
        Text expected;
    };
    const Case kCases[] = {
        {Text("o"), Text("foo"), Text("x"), {}, Text("fxx")},
        {Text("o"), Text("foo"), Text("x"), false, Text("fxo")},
        {Text("o"), Text("foo"), {}, {}, Text("f")},
        {Text("q"), Text("foo"), Text("x"), {}, Text("foo")},
        {Text("(\\w+)@(\\w+)"), Text("a@b c@d"), Text("$2@$1"), {}, Text("b@a d@c")},
        {Text("b"), Text("abc"), Text("[$&]"), {}, Text("a[b]c")},
        {Text("b"), Text("abc"), Text("<$`|$'>"), {}, Text("a<a|c>c")},
        {Text("b"), Text("abc"), Text("$$"), {}, Text("a$c")},
        {Text("(b)"), Text("abc"), Text("$0$2$"), {}, Text("a$0$2$c")},
        {Text("(b)"), Text("abc"), Text("$12$01"), {}, Text("ab2bc")},
        {Text("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)"), Text("abcdefghij"), Text("$10$1"), {}, Text("ja")},
        {Text("(x)?b"), Text("abc"), Text("[$1]"), {}, Text("a[]c")},
        {Cp936("中"), Cp936("中文中"), Cp936("汉"), {}, Cp936("汉文汉")},
        {Text("x*"), Text("ab"), Text("-"), {}, Text("-a-b-")},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.pattern.bytes() + " / " + c.replacement.value_or(Text("<none>")).bytes());
        PatternMatcher matcher;
        ASSERT_TRUE(matcher.Create(c.pattern, c.subject, std::nullopt, std::nullopt, c.global));
        EXPECT_EQ(matcher.ReplaceMatches(c.replacement), c.expected);
    }
}

TEST(PatternMatcher, CopyIsIndependent) {
    PatternMatcher original;
    ASSERT_TRUE(original.Create(Text("(\\d)"), Text("a1b2")));
    PatternMatcher copy = original;
    EXPECT_EQ(copy.MatchCount(), 2);
    EXPECT_EQ(copy.SubMatchText(2, 1), Text("2"));
    EXPECT_EQ(copy.GetPattern(), Text("(\\d)"));

    ASSERT_TRUE(original.Create(Text("z"), Text("zz z")));
    EXPECT_EQ(original.MatchCount(), 3);
    EXPECT_EQ(copy.MatchCount(), 2);
    EXPECT_EQ(copy.ReplaceMatches(Text("#")), Text("a#b#"));

    copy = original;
    EXPECT_EQ(copy.MatchCount(), 3);
    EXPECT_EQ(copy.GetPattern(), Text("z"));
}

// Everything a matcher answers, in one list for comparing two matchers: the
// counts, the pattern, every match and group, a replacement, and the stored
// positions of every `position_step`-th match.
std::vector<std::string> Answers(const PatternMatcher& matcher, int32_t position_step = 1) {
    std::vector<std::string> out = {std::to_string(matcher.MatchCount()), std::to_string(matcher.SubMatchCount()),
                                    matcher.GetPattern().bytes(), matcher.ReplaceMatches(Text("[$1|$&]")).bytes()};
    const int32_t count = matcher.MatchCount();
    for (int32_t i = 1; i <= count + 1; ++i) {
        const bool with_position = i % position_step == 1 % position_step || i >= count;
        for (int32_t sub = 0; sub <= matcher.SubMatchCount() + 1; ++sub) {
            int32_t position = 99;
            int32_t* const where = with_position ? &position : nullptr;
            const Text text = sub == 0 ? matcher.MatchText(i, where) : matcher.SubMatchText(i, sub, where);
            out.push_back(text.bytes() + "@" + std::to_string(position));
        }
    }
    return out;
}

TEST(PatternMatcher, SubjectTakenOverAnswersTheSame) {
    struct Case {
        const char* name;
        Text pattern, subject;
        std::optional<bool> case_sensitive, multiline, global, expand_quote_token;
    };
    const Case kCases[] = {
        {"entry list",
         Text("href=(.*?)>(.*?)</a></"),
         Cp936("<li>二〇二四 href=p/7.html>第七集：海边</a></li><li>href=p/8.html>Eight</a></li>"),
         {},
         {},
         {},
         {}},
        {"no match", Text("q"), Text("abc"), {}, {}, {}, {}},
        {"empty subject", Text("x*"), Text(), {}, {}, {}, {}},
        {"empty matches", Text("x*"), Cp936("a中b"), {}, {}, {}, {}},
        {"case sensitive, first only", Text("(a)(b)?"), Text("Aab ab"), true, {}, false, {}},
        {"single line", Text("^(.+)$"), Text("one\r\ntwo"), {}, false, {}, {}},
        {"quote token", Cp936("=#引号(.*?)#引号"), Text("x=\"1\" y=\"2\""), {}, {}, {}, true},
        {"rejected pattern", Text("(a"), Text("abc"), {}, {}, {}, {}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        PatternMatcher kept;
        const bool kept_result =
            kept.Create(c.pattern, c.subject, c.case_sensitive, c.multiline, c.global, c.expand_quote_token);
        PatternMatcher taken;
        Text subject = c.subject;
        EXPECT_EQ(
            taken.Create(c.pattern, std::move(subject), c.case_sensitive, c.multiline, c.global, c.expand_quote_token),
            kept_result);
        EXPECT_TRUE(subject.empty());
        EXPECT_EQ(Answers(taken), Answers(kept));
    }
}

TEST(PatternMatcher, SubjectTakenOverMayBeThePattern) {
    PatternMatcher matcher;
    Text text("a+");
    ASSERT_TRUE(matcher.Create(text, std::move(text)));
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(matcher.GetPattern(), Text("a+"));
    EXPECT_EQ(AllMatches(matcher), std::vector<Text>{Text("a")});

    // A later Create over a kept subject forgets the one taken over.
    ASSERT_TRUE(matcher.Create(Text("b"), Text("bb")));
    EXPECT_EQ(matcher.MatchCount(), 2);
    EXPECT_EQ(matcher.ReplaceMatches(Text("c")), Text("cc"));
}

// A long subject made of runs of one unit each (markers, letters of both
// cases, a two-byte character, line breaks), every unit one UTF-16 unit, so
// that offsets pass 16 bits and matches sit next to one another.
class RandomSubject {
  public:
    RandomSubject(uint32_t seed, size_t unit_count) {
        std::mt19937 generator(seed);
        // Markers twice, to meet the letters more often.
        const std::string kUnits[] = {"<", ">", "<", ">", "a", "B", "k", Cp936("中").bytes(), "\r", "\n", " "};
        std::uniform_int_distribution<size_t> pick(0, std::size(kUnits) - 1);
        std::uniform_int_distribution<int> one_in(0, 29);
        std::uniform_int_distribution<int> run(1, 3);
        std::uniform_int_distribution<int> long_run(4, 400);
        while (units_.size() < unit_count) {
            const std::string& unit = kUnits[pick(generator)];
            const int length = one_in(generator) == 0 ? long_run(generator) : run(generator);
            for (int i = 0; i < length; ++i) units_.push_back(unit);
        }
        std::string bytes;
        for (const std::string& unit : units_) bytes += unit;
        text_ = Text(bytes);
    }

    const Text& text() const { return text_; }
    size_t size() const { return units_.size(); }
    // The bytes of units [begin, end).
    std::string Bytes(size_t begin, size_t end) const {
        std::string out;
        for (size_t i = begin; i < end; ++i) out += units_[i];
        return out;
    }

    // The plain walk for "<([a-z]*)>": every match as its unit range.
    std::vector<std::pair<size_t, size_t>> MarkedWords(bool ignore_case) const {
        const auto is_letter = [&](const std::string& unit) {
            return unit == "a" || unit == "k" || (ignore_case && unit == "B");
        };
        std::vector<std::pair<size_t, size_t>> out;
        for (size_t i = 0; i < units_.size();) {
            size_t j = i + 1;
            if (units_[i] == "<") {
                while (j < units_.size() && is_letter(units_[j])) ++j;
                if (j < units_.size() && units_[j] == ">") {
                    out.emplace_back(i, j + 1);
                    i = j + 1;
                    continue;
                }
            }
            ++i;
        }
        return out;
    }

  private:
    std::vector<std::string> units_;
    Text text_;
};

TEST(PatternMatcher, LongSubjectsAgreeWithPlainWalk) {
    for (const uint32_t seed : {7u, 1234u, 99991u}) {
        const RandomSubject subject(seed, 150'000);
        for (const bool ignore_case : {true, false}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << (ignore_case ? ", case ignored" : ", case counts"));
            const std::vector<std::pair<size_t, size_t>> expected = subject.MarkedWords(ignore_case);
            ASSERT_GT(expected.size(), 300u);
            ASSERT_GT(expected.back().first, 70'000u);

            PatternMatcher matcher;
            Text moved = subject.text();
            ASSERT_TRUE(matcher.Create(Text("<([a-z]*)>"), std::move(moved), !ignore_case));
            ASSERT_EQ(matcher.MatchCount(), static_cast<int32_t>(expected.size()));
            std::string replaced;
            size_t copied = 0;
            for (size_t i = 0; i < expected.size(); ++i) {
                const auto [begin, end] = expected[i];
                const auto index = static_cast<int32_t>(i + 1);
                const std::string word = subject.Bytes(begin + 1, end - 1);
                ASSERT_EQ(matcher.MatchText(index).bytes(), subject.Bytes(begin, end)) << "match " << index;
                ASSERT_EQ(matcher.SubMatchText(index, 1).bytes(), word) << "match " << index;
                replaced += subject.Bytes(copied, begin) + "[" + word + "]";
                copied = end;
                if (i % 41 != 0 && i + 1 != expected.size()) continue;
                // The stored position: the text searched for from the match's
                // UTF-16 offset.
                int32_t position = 99;
                const Text group = matcher.SubMatchText(index, 1, &position);
                const auto from = static_cast<int32_t>(begin);
                EXPECT_EQ(position, FindText(subject.text(), group, from, ignore_case) - 1) << "match " << index;
                const Text match = matcher.MatchText(index, &position);
                EXPECT_EQ(position, FindText(subject.text(), match, from, ignore_case) - 1) << "match " << index;
            }
            replaced += subject.Bytes(copied, subject.size());
            EXPECT_EQ(matcher.ReplaceMatches(Text("[$1]")).bytes(), replaced);
        }
    }
}

TEST(PatternMatcher, LongSubjectTakenOverAnswersTheSame) {
    const RandomSubject subject(2024, 120'000);
    struct Case {
        Text pattern;
        std::optional<bool> case_sensitive, multiline, global;
    };
    const Case kCases[] = {
        {Text("<([a-z]*)>"), {}, {}, {}},
        {Cp936("(k+)|(中+)"), true, {}, {}},
        {Text("^(.*)$"), {}, {}, {}},
        {Text("^(.*)$"), {}, false, {}},
        {Text("x*"), {}, {}, {}},
        {Text("(a)?(b+)"), {}, {}, false},
        {Text("\\r\\n|\\n\\r"), {}, {}, {}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.pattern.bytes());
        PatternMatcher kept;
        ASSERT_TRUE(kept.Create(c.pattern, subject.text(), c.case_sensitive, c.multiline, c.global));
        PatternMatcher taken;
        Text moved = subject.text();
        ASSERT_TRUE(taken.Create(c.pattern, std::move(moved), c.case_sensitive, c.multiline, c.global));
        EXPECT_EQ(Answers(taken, 53), Answers(kept, 53));
    }
}

}  // namespace
}  // namespace qimbra
