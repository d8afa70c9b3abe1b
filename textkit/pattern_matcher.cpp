#include "textkit/pattern_matcher.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/encoding.h"
#include "textkit/quote_token.h"
#include "values/text_ops.h"

namespace qimbra {
namespace {

// Backtracking budget of one match attempt; a pattern that needs more over a
// pathological subject fails the Create instead of hanging the run.
constexpr uint32_t kMatchLimit = 10'000'000;
constexpr uint32_t kDepthLimit = 1'000'000;
constexpr uint32_t kHeapLimitKiB = 256 * 1024;
constexpr PCRE2_SIZE kJitStackStart = 32 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 8 * 1024 * 1024;

struct CodeFree {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct CompileContextFree {
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
struct MatchContextFree {
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct JitStackFree {
    void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};

using Code = std::unique_ptr<pcre2_code, CodeFree>;
using CompileContext = std::unique_ptr<pcre2_compile_context, CompileContextFree>;
using MatchContext = std::unique_ptr<pcre2_match_context, MatchContextFree>;
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using JitStack = std::unique_ptr<pcre2_jit_stack, JitStackFree>;

PCRE2_SPTR Units(const std::u16string& text) { return reinterpret_cast<PCRE2_SPTR>(text.data()); }

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Compiles `pattern` in the ECMAScript-like dialect: \u and \x escapes, [] as
// an empty class, an unset backreference matching empty, $ at the very end
// only (outside multi-line mode), CR, LF and CRLF as line breaks.
Code Compile(const std::u16string& pattern, bool ignore_case, bool multiline) {
    CompileContext context(pcre2_compile_context_create(nullptr));
    if (!context) return nullptr;
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);
    uint32_t options =
        PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY;
    if (ignore_case) options |= PCRE2_CASELESS;
    if (multiline) options |= PCRE2_MULTILINE;
    int error = 0;
    PCRE2_SIZE error_offset = 0;
    Code code(pcre2_compile(Units(pattern), pattern.size(), options, &error, &error_offset, context.get()));
    if (code) pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);  // the interpreter runs where JIT is missing
    return code;
}

// The UTF-16 units as a Text in code page 936. Pure ASCII, the common case
// for addresses, skips the converter.
Text ToCp936Text(std::u16string_view units) {
    if (std::all_of(units.begin(), units.end(), [](char16_t unit) { return unit < 0x80; })) {
        return Text(std::string(units.begin(), units.end()));
    }
    return Text(platform::Utf16ToCp936(units));
}

}  // namespace

PatternMatcher::PatternMatcher() = default;
PatternMatcher::~PatternMatcher() = default;
PatternMatcher::PatternMatcher(const PatternMatcher& other) = default;
PatternMatcher& PatternMatcher::operator=(const PatternMatcher& other) = default;
PatternMatcher::PatternMatcher(PatternMatcher&& other) noexcept = default;
PatternMatcher& PatternMatcher::operator=(PatternMatcher&& other) noexcept = default;

bool PatternMatcher::Create(const Text& pattern, const Text& subject, std::optional<bool> case_sensitive,
                            std::optional<bool> multiline, std::optional<bool> global,
                            std::optional<bool> expand_quote_token) {
    Begin(pattern, case_sensitive, expand_quote_token);
    subject_ = platform::Cp936ToUtf16(subject.view());
    return Match(multiline, global);
}

bool PatternMatcher::Create(const Text& pattern, Text&& subject, std::optional<bool> case_sensitive,
                            std::optional<bool> multiline, std::optional<bool> global,
                            std::optional<bool> expand_quote_token) {
    // The pattern is taken in first: it may be the subject itself.
    Begin(pattern, case_sensitive, expand_quote_token);
    subject_ = platform::Cp936ToUtf16(subject.view());
    {
        // Moving the bytes out and destroying them frees their buffer, which
        // assigning an empty Text would keep.
        const Text released = std::move(subject);
    }
    subject = Text();
    return Match(multiline, global);
}

void PatternMatcher::Begin(const Text& pattern, std::optional<bool> case_sensitive,
                           std::optional<bool> expand_quote_token) {
    has_pattern_ = true;
    has_matches_ = false;
    group_count_ = 0;
    // Swapped out rather than cleared, so the buffers go before the next
    // subject is converted.
    std::vector<Span>().swap(spans_);
    std::u16string().swap(subject_);
    subject_text_.reset();
    ignore_case_ = !case_sensitive.value_or(false);

    if (expand_quote_token.value_or(false)) {
        pattern_ = platform::Cp936ToUtf16(ExpandQuoteToken(pattern).view());
    } else {
        pattern_ = platform::Cp936ToUtf16(pattern.view());
    }
}

bool PatternMatcher::Match(std::optional<bool> multiline, std::optional<bool> global) {
    const Code code = Compile(pattern_, ignore_case_, multiline.value_or(true));
    if (!code) return false;
    uint32_t groups = 0;
    pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &groups);

    MatchContext context(pcre2_match_context_create(nullptr));
    MatchData data(pcre2_match_data_create_from_pattern(code.get(), nullptr));
    if (!context || !data) return false;
    pcre2_set_match_limit(context.get(), kMatchLimit);
    pcre2_set_depth_limit(context.get(), kDepthLimit);
    pcre2_set_heap_limit(context.get(), kHeapLimitKiB);
    const JitStack stack(pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
    if (stack) pcre2_jit_stack_assign(context.get(), nullptr, stack.get());

    const bool every_match = global.value_or(true);
    const size_t length = subject_.size();
    const size_t stride = groups + 1;
    std::vector<Span> spans;
    uint32_t check = 0;  // the first attempt validates the subject, the rest trust it
    for (size_t start = 0; start <= length;) {
        const int result = pcre2_match(code.get(), Units(subject_), length, start, check, data.get(), context.get());
        check = PCRE2_NO_UTF_CHECK;
        if (result == PCRE2_ERROR_NOMATCH) break;
        if (result < 0) return false;  // limit reached, or an engine error

        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        const size_t begin = ovector[0];
        const size_t end = std::max(ovector[0], ovector[1]);
        spans.push_back({static_cast<int32_t>(begin), static_cast<int32_t>(end - begin)});
        for (size_t group = 1; group < stride; ++group) {
            if (ovector[2 * group] == PCRE2_UNSET) {
                spans.push_back({});
            } else {
                spans.push_back({static_cast<int32_t>(ovector[2 * group]),
                                 static_cast<int32_t>(ovector[2 * group + 1] - ovector[2 * group])});
            }
        }
        if (!every_match) break;

        // After an empty match the search goes on one character further.
        size_t next = end;
        if (end == begin) {
            next = begin + 1;
            if (next < length && IsHighSurrogate(subject_[begin]) && IsLowSurrogate(subject_[next])) ++next;
        }
        start = std::max(next, start + 1);
    }

    spans_ = std::move(spans);
    group_count_ = static_cast<int32_t>(groups);
    has_matches_ = true;
    return true;
}

Text PatternMatcher::GetPattern() const {
    if (!has_pattern_) return Text();
    return Text(platform::Utf16ToCp936(pattern_));
}

Text PatternMatcher::ReplaceMatches(const std::optional<Text>& replacement) const {
    if (!has_matches_) return Text();
    const std::u16string with = replacement ? platform::Cp936ToUtf16(replacement->view()) : std::u16string();
    const std::u16string_view subject(subject_);
    const size_t stride = static_cast<size_t>(group_count_) + 1;

    std::u16string out;
    out.reserve(subject.size());
    size_t copied = 0;
    for (size_t first = 0; first < spans_.size(); first += stride) {
        const Span* match = &spans_[first];
        const auto begin = static_cast<size_t>(match->offset);
        const auto end = begin + static_cast<size_t>(match->length);
        out.append(subject.substr(copied, begin - copied));
        copied = end;

        const auto group = [&](int number) {
            const Span& span = match[number];
            if (span.offset >= 0) out.append(subject.substr(span.offset, span.length));
        };
        const auto is_digit = [](char16_t unit) { return unit >= u'0' && unit <= u'9'; };
        for (size_t i = 0; i < with.size(); ++i) {
            const char16_t unit = with[i];
            if (unit != u'$' || i + 1 == with.size()) {
                out.push_back(unit);
                continue;
            }
            const char16_t next = with[i + 1];
            if (next == u'$') {
                out.push_back(u'$');
                ++i;
            } else if (next == u'&') {
                out.append(subject.substr(begin, end - begin));
                ++i;
            } else if (next == u'`') {
                out.append(subject.substr(0, begin));
                ++i;
            } else if (next == u'\'') {
                out.append(subject.substr(end));
                ++i;
            } else if (is_digit(next)) {
                // Two digits when they name a group, else one, else a plain "$".
                const int one = next - u'0';
                const int two = i + 2 < with.size() && is_digit(with[i + 2]) ? one * 10 + (with[i + 2] - u'0') : 0;
                if (two >= 1 && two <= group_count_) {
                    group(two);
                    i += 2;
                } else if (one >= 1 && one <= group_count_) {
                    group(one);
                    ++i;
                } else {
                    out.push_back(u'$');
                }
            } else {
                out.push_back(u'$');
            }
        }
    }
    out.append(subject.substr(copied));
    return ToCp936Text(out);
}

int32_t PatternMatcher::MatchCount() const {
    return static_cast<int32_t>(spans_.size() / (static_cast<size_t>(group_count_) + 1));
}

Text PatternMatcher::MatchText(int32_t index, int32_t* position) const {
    const Span* match = MatchAt(index);
    Text result = match ? SpanText(*match) : Text();
    if (position) StorePosition(result, match, position);
    return result;
}

Text PatternMatcher::SubMatchText(int32_t index, int32_t sub_index, int32_t* position) const {
    const Span* match = MatchAt(index);
    if (match && (sub_index < 1 || sub_index > group_count_)) match = nullptr;
    Text result = match ? SpanText(match[sub_index]) : Text();
    if (position) StorePosition(result, match, position);
    return result;
}

int32_t PatternMatcher::SubMatchCount() const { return spans_.empty() ? 0 : group_count_; }

const PatternMatcher::Span* PatternMatcher::MatchAt(int32_t index) const {
    if (index < 1 || index > MatchCount()) return nullptr;
    return &spans_[static_cast<size_t>(index - 1) * (static_cast<size_t>(group_count_) + 1)];
}

Text PatternMatcher::SpanText(const Span& span) const {
    if (span.offset < 0 || span.length == 0) return Text();
    return ToCp936Text(std::u16string_view(subject_).substr(span.offset, span.length));
}

const Text& PatternMatcher::SubjectText() const {
    if (!subject_text_) subject_text_ = Text(platform::Utf16ToCp936(subject_));
    return *subject_text_;
}

void PatternMatcher::StorePosition(const Text& found, const Span* match, int32_t* position) const {
    // No such match or group: nothing to find.
    if (!match) {
        *position = -2;
        return;
    }
    // The UTF-16 offset serves as a 1-based byte position: it lies at or in
    // front of the match's first byte, so the search meets the first
    // occurrence from there, which on ASCII subjects is the match itself.
    *position = FindText(SubjectText(), found, match->offset, ignore_case_) - 1;
}

}  // namespace qimbra
