#include "collect/retry_after.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <string_view>

namespace qimbra {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// The value of the first "Retry-After" line, or none.
std::optional<std::string_view> RetryAfterValue(std::string_view lines) {
    while (!lines.empty()) {
        const size_t end = lines.find('\n');
        const std::string_view line = lines.substr(0, end);
        lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
        const size_t colon = line.find(':');
        if (colon != std::string_view::npos && EqualsIgnoringCase(Trimmed(line.substr(0, colon)), "Retry-After")) {
            return Trimmed(line.substr(colon + 1));
        }
    }
    return std::nullopt;
}

std::optional<int64_t> Number(std::string_view digits) {
    if (digits.empty() || digits.size() > 12) return std::nullopt;
    int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || value < 0) return std::nullopt;
    return value;
}

// "Sun, 06 Nov 1994 08:49:37 GMT" as a point in time.
std::optional<std::chrono::system_clock::time_point> HttpDate(std::string_view text) {
    if (text.size() != 29 || text.substr(3, 2) != ", " || text.substr(25) != " GMT") return std::nullopt;
    static constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    unsigned month = 0;
    while (month < kMonths.size() && kMonths[month] != text.substr(8, 3)) ++month;
    const auto day = Number(text.substr(5, 2));
    const auto year = Number(text.substr(12, 4));
    const auto hour = Number(text.substr(17, 2));
    const auto minute = Number(text.substr(20, 2));
    const auto second = Number(text.substr(23, 2));
    if (month == kMonths.size() || !day || !year || !hour || !minute || !second || text[7] != ' ' || text[11] != ' ' ||
        text[16] != ' ' || text[19] != ':' || text[22] != ':' || *hour > 23 || *minute > 59 || *second > 60) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year(static_cast<int>(*year)), std::chrono::month(month + 1),
                                           std::chrono::day(static_cast<unsigned>(*day))};
    if (!date.ok()) return std::nullopt;
    return std::chrono::sys_days(date) + std::chrono::hours(*hour) + std::chrono::minutes(*minute) +
           std::chrono::seconds(*second);
}

}  // namespace

std::optional<int64_t> RetryAfterSeconds(const Text& header_lines, std::chrono::system_clock::time_point now) {
    const std::optional<std::string_view> value = RetryAfterValue(header_lines.view());
    if (!value) return std::nullopt;
    if (const auto seconds = Number(*value)) return seconds;
    const auto date = HttpDate(*value);
    if (!date) return std::nullopt;
    const auto wait = std::chrono::ceil<std::chrono::seconds>(*date - now).count();
    return wait > 0 ? wait : 0;
}

}  // namespace qimbra
