#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "values/text.h"

namespace qimbra {

// Runs a regular expression (ECMAScript-style: capture groups, lazy
// quantifiers, backreferences, \u and \x escapes) over a subject Text and
// answers questions about the matches. Create runs the whole match once and
// keeps every match, so the queries answer without matching again.
//
// The subject is matched as UTF-16: offsets count UTF-16 code units, and every
// text that comes back is in code page 936. Match and group numbers are
// 1-based. "." matches no line break (neither CR nor LF); with `multiline`,
// ^ and $ also match at CR, LF and CRLF.
//
// Queries before the first Create, or after a Create that returned false,
// yield empty values (an empty Text, 0). A copy is an independent matcher
// holding the same pattern and matches.
class PatternMatcher {
  public:
    PatternMatcher();
    ~PatternMatcher();
    PatternMatcher(const PatternMatcher& other);
    PatternMatcher& operator=(const PatternMatcher& other);
    PatternMatcher(PatternMatcher&& other) noexcept;
    PatternMatcher& operator=(PatternMatcher&& other) noexcept;

    // Matches `pattern` over `subject`. Defaults: letter case ignored
    // (`case_sensitive` false), `multiline` true, `global` true (every match;
    // false: the first only), `expand_quote_token` false (true: each "#引号"
    // in the pattern becomes a double quote). True when the pattern was
    // accepted and matching finished, also with no match; false for a rejected
    // pattern or a match that ran into the engine's backtracking limit.
    bool Create(const Text& pattern, const Text& subject, std::optional<bool> case_sensitive = std::nullopt,
                std::optional<bool> multiline = std::nullopt, std::optional<bool> global = std::nullopt,
                std::optional<bool> expand_quote_token = std::nullopt);

    // The same, taking `subject` over: its code page 936 bytes are let go as
    // soon as the matcher's UTF-16 form of them exists, so a long subject is
    // not held in both forms while it is matched. `subject` is left empty. The
    // answers are those of the Create above.
    bool Create(const Text& pattern, Text&& subject, std::optional<bool> case_sensitive = std::nullopt,
                std::optional<bool> multiline = std::nullopt, std::optional<bool> global = std::nullopt,
                std::optional<bool> expand_quote_token = std::nullopt);

    // The pattern of the last Create (quote token expanded); empty before any.
    [[nodiscard]] Text GetPattern() const;

    // The subject of the last Create with every kept match replaced by
    // `replacement`, in which $& is the match, $1 to $99 the groups, $` and $'
    // the text before and after the match and $$ a dollar sign. Empty after a
    // failed Create or before any.
    [[nodiscard]] Text ReplaceMatches(const std::optional<Text>& replacement = std::nullopt) const;

    // The number of matches; 0 when there are none or Create failed.
    [[nodiscard]] int32_t MatchCount() const;

    // The text of match `index`; empty for an index outside the matches.
    // With `position` given, it receives the zero-based byte position of the
    // first occurrence of that text in the subject found from byte position
    // FirstIndex (the match's UTF-16 offset taken as a 1-based byte position),
    // letter case ignored as the pattern was; -2 when that search finds
    // nothing or there is no such match. On ASCII subjects this is the match's
    // own byte offset.
    [[nodiscard]] Text MatchText(int32_t index, int32_t* position = nullptr) const;

    // The text of capture group `sub_index` of match `index`; empty for a group
    // that took part in no match or numbers outside the matches. `position`
    // as for MatchText, searching the group's text from the match's
    // FirstIndex (not from the group's own offset).
    [[nodiscard]] Text SubMatchText(int32_t index, int32_t sub_index, int32_t* position = nullptr) const;

    // The number of capture groups of the first match; 0 when there is none.
    [[nodiscard]] int32_t SubMatchCount() const;

  private:
    // A stretch of the UTF-16 subject; a negative `offset` marks a group that
    // took part in no match. A subject has no more UTF-16 units than its Text
    // has bytes, so 32 bits hold every offset and length.
    struct Span {
        int32_t offset = -1;
        int32_t length = 0;
    };

    // Forgets the last Create, letting go of its subject and matches, and
    // takes `pattern` in as the engine will see it.
    void Begin(const Text& pattern, std::optional<bool> case_sensitive, std::optional<bool> expand_quote_token);
    // Matches the pattern over subject_; the rest of Create.
    bool Match(std::optional<bool> multiline, std::optional<bool> global);

    // The whole match `index` (1-based) followed by its groups, or nullptr.
    [[nodiscard]] const Span* MatchAt(int32_t index) const;
    [[nodiscard]] Text SpanText(const Span& span) const;
    [[nodiscard]] const Text& SubjectText() const;
    void StorePosition(const Text& found, const Span* match, int32_t* position) const;

    bool has_pattern_ = false;  // a Create has been made
    bool has_matches_ = false;  // the last Create finished matching
    bool ignore_case_ = false;  // as the last Create set it
    int32_t group_count_ = 0;   // capture groups of the last pattern
    std::u16string pattern_;    // as handed to the engine
    std::u16string subject_;    // the subject of the last Create
    // Every kept match as 1 + group_count_ spans in a row: the whole match,
    // then its groups.
    std::vector<Span> spans_;
    mutable std::optional<Text> subject_text_;  // subject_ back in code page 936, made on first need
};

}  // namespace qimbra
