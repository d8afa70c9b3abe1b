// Plain character walks, step by step as the operations are defined, that the
// fast search must agree with. Positions here are 0-based.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qimbra::reference {

inline unsigned char Fold(unsigned char b) { return b >= 'A' && b <= 'Z' ? b | 0x20 : b; }

inline bool EqualAt(std::string_view s, size_t p, std::string_view needle, bool ignore_case) {
    for (size_t i = 0; i < needle.size(); ++i) {
        auto a = static_cast<unsigned char>(s[p + i]);
        auto b = static_cast<unsigned char>(needle[i]);
        if (ignore_case ? Fold(a) != Fold(b) : a != b) return false;
    }
    return true;
}

inline bool IsLead(char c) { return static_cast<unsigned char>(c) >= 0x80; }

inline int32_t FindText(std::string_view s, std::string_view needle, std::optional<int32_t> start, bool ignore_case) {
    const int64_t length = static_cast<int64_t>(s.size());
    const int64_t n = static_cast<int64_t>(needle.size());
    int64_t k = start ? std::max<int64_t>(0, int64_t{*start} - 1) : 0;
    if (n == 0) return k < length ? 1 : -1;
    for (int64_t p = k; p + n <= length;) {
        if (EqualAt(s, static_cast<size_t>(p), needle, ignore_case)) return static_cast<int32_t>(p + 1);
        if (IsLead(s[p])) {
            if (p == length - 1) return -1;
            p += 2;
        } else {
            p += 1;
        }
    }
    return -1;
}

inline int32_t FindTextReverse(std::string_view s, std::string_view needle, std::optional<int32_t> start,
                               bool ignore_case) {
    const int64_t length = static_cast<int64_t>(s.size());
    const int64_t n = static_cast<int64_t>(needle.size());
    int64_t window = length;
    if (start) {
        int64_t k = std::max<int64_t>(0, int64_t{*start} - 1);
        window = k == 0 ? 0 : std::min(k, length);
    }
    if (n == 0) return window > 0 ? 1 : -1;
    int32_t found = -1;
    for (int64_t p = 0; p < length;) {
        if (p + n <= window && EqualAt(s, static_cast<size_t>(p), needle, ignore_case)) {
            found = static_cast<int32_t>(p + 1);
        }
        if (IsLead(s[p])) {
            if (p == length - 1) break;
            p += 2;
        } else {
            p += 1;
        }
    }
    return found;
}

inline std::string ReplaceText(std::string_view s, std::string_view needle, const std::optional<std::string>& with,
                               std::optional<int32_t> start, std::optional<int32_t> count, bool case_sensitive) {
    const std::string replacement = with.value_or(std::string());
    int64_t begin = start ? std::max<int32_t>(1, *start) : 1;
    if (s.empty() || needle.empty() || begin > static_cast<int64_t>(s.size()) || (count && *count == 0)) {
        return std::string(s);
    }
    const bool limited = count && *count > 0;
    std::string out(s.substr(0, static_cast<size_t>(begin - 1)));
    size_t p = static_cast<size_t>(begin - 1);
    int32_t replaced = 0;
    while (p + needle.size() <= s.size()) {
        if (EqualAt(s, p, needle, !case_sensitive)) {
            out.append(replacement);
            p += needle.size();
            if (limited && ++replaced == *count) break;
        } else if (IsLead(s[p])) {
            if (p + 1 == s.size()) {
                p = s.size();  // the broken character is dropped
                break;
            }
            out.append(s.substr(p, 2));
            p += 2;
        } else {
            out.push_back(s[p]);
            p += 1;
        }
    }
    out.append(s.substr(std::min(p, s.size())));
    return out;
}

inline std::vector<std::string> SplitText(std::string_view s, const std::optional<std::string>& delimiter,
                                          std::optional<int32_t> max_count) {
    const std::string d = delimiter.value_or(",");
    const bool limited = max_count.has_value();
    const size_t limit = limited ? static_cast<size_t>(std::max(0, *max_count)) : 0;
    std::vector<std::string> pieces;
    if (s.empty() || (limited && limit == 0)) return pieces;
    if (d.empty()) return {std::string(s)};
    size_t piece = 0;
    size_t p = 0;
    while (p + d.size() <= s.size()) {
        if (EqualAt(s, p, d, false)) {
            pieces.emplace_back(s.substr(piece, p - piece));
            p += d.size();
            piece = p;
            if (limited && pieces.size() == limit) return pieces;
        } else if (IsLead(s[p])) {
            if (p + 1 == s.size()) break;
            p += 2;
        } else {
            p += 1;
        }
    }
    if (piece < s.size() && (!limited || pieces.size() < limit)) pieces.emplace_back(s.substr(piece));
    return pieces;
}

}  // namespace qimbra::reference
