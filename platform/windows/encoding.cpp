#include "platform/encoding.h"

#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/utf8_pieces.h"

namespace qimbra::platform {
namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;
constexpr char16_t kQuestionMark = u'?';

bool IsGbk(int code_page) { return code_page == kCodePageAnsi || code_page == kCodePageGbk; }

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

bool FitsInt(size_t size) { return size <= static_cast<size_t>(std::numeric_limits<int>::max() / 4); }

const wchar_t* Wide(const char16_t* units) { return reinterpret_cast<const wchar_t*>(units); }
wchar_t* Wide(char16_t* units) { return reinterpret_cast<wchar_t*>(units); }

// MultiByteToWideChar over all of `bytes`, measured first. With
// MB_ERR_INVALID_CHARS it fails on an invalid sequence instead of guessing.
bool MultiByteToUtf16(UINT code_page, DWORD flags, std::string_view bytes, std::u16string& out) {
    out.clear();
    if (bytes.empty()) return true;
    if (!FitsInt(bytes.size())) return false;
    const int length = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(code_page, flags, bytes.data(), length, nullptr, 0);
    if (needed <= 0) return false;
    out.resize(static_cast<size_t>(needed));
    const int written = MultiByteToWideChar(code_page, flags, bytes.data(), length, Wide(out.data()), needed);
    if (written <= 0) return false;
    out.resize(static_cast<size_t>(written));
    return true;
}

// WideCharToMultiByte over all of `units`, which hold no surrogate that the
// code page cannot take; a character the code page lacks becomes "?" (never a
// look-alike: no best fit).
std::string Utf16ToMultiByte(UINT code_page, std::u16string_view units) {
    if (units.empty() || !FitsInt(units.size())) return {};
    const int length = static_cast<int>(units.size());
    const DWORD flags = code_page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* default_char = code_page == CP_UTF8 ? nullptr : "?";
    const int needed =
        WideCharToMultiByte(code_page, flags, Wide(units.data()), length, nullptr, 0, default_char, nullptr);
    if (needed <= 0) return {};
    std::string out(static_cast<size_t>(needed), '\0');
    const int written =
        WideCharToMultiByte(code_page, flags, Wide(units.data()), length, out.data(), needed, default_char, nullptr);
    if (written <= 0) return {};
    out.resize(static_cast<size_t>(written));
    return out;
}

// Code page 936 to UTF-16. A text with an invalid sequence is taken one
// character at a time: a byte of 0x80 or more tries to start a two-byte
// character and otherwise stands alone; a byte that is neither becomes one
// U+FFFD, and the next byte starts afresh (so a lead byte before a space
// loses only itself).
std::u16string GbkToUtf16(std::string_view bytes) {
    std::u16string out;
    if (MultiByteToUtf16(kCodePageGbk, MB_ERR_INVALID_CHARS, bytes, out)) return out;
    out.clear();
    out.reserve(bytes.size());
    std::u16string one;
    size_t i = 0;
    while (i < bytes.size()) {
        while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80) {
            out.push_back(static_cast<char16_t>(bytes[i]));
            ++i;
        }
        if (i == bytes.size()) break;
        if (i + 1 < bytes.size() && MultiByteToUtf16(kCodePageGbk, MB_ERR_INVALID_CHARS, bytes.substr(i, 2), one) &&
            one.size() == 1) {
            out += one;
            i += 2;
        } else if (MultiByteToUtf16(kCodePageGbk, MB_ERR_INVALID_CHARS, bytes.substr(i, 1), one) && one.size() == 1) {
            out += one;
            i += 1;
        } else {
            out.push_back(kReplacementCharacter);
            i += 1;
        }
    }
    return out;
}

// The units with every surrogate that cannot reach the target as it is
// replaced by "?": for UTF-8 the unpaired ones, for code page 936 (which has
// no character beyond the BMP) every pair as one "?" and every unpaired one.
std::u16string WithoutSurrogates(std::u16string_view units, bool keep_pairs) {
    std::u16string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            if (keep_pairs) {
                out.push_back(unit);
                out.push_back(units[i + 1]);
            } else {
                out.push_back(kQuestionMark);
            }
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            out.push_back(kQuestionMark);
        } else {
            out.push_back(unit);
        }
    }
    return out;
}

bool HasSurrogate(std::u16string_view units) {
    for (char16_t unit : units) {
        if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) return true;
    }
    return false;
}

std::string Utf16ToGbk(std::u16string_view units) {
    if (!HasSurrogate(units)) return Utf16ToMultiByte(kCodePageGbk, units);
    return Utf16ToMultiByte(kCodePageGbk, WithoutSurrogates(units, false));
}

// The range of the second byte of a well-formed UTF-8 sequence after `lead`
// (the later bytes are always 80 to BF), and how many bytes follow the lead;
// 0 for a byte that starts no sequence.
struct Utf8Lead {
    size_t follow;
    unsigned char low, high;
};
Utf8Lead Utf8LeadOf(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return {1, 0x80, 0xBF};
    if (lead == 0xE0) return {2, 0xA0, 0xBF};
    if (lead == 0xED) return {2, 0x80, 0x9F};  // no surrogates
    if (lead >= 0xE1 && lead <= 0xEF) return {2, 0x80, 0xBF};
    if (lead == 0xF0) return {3, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3) return {3, 0x80, 0xBF};
    if (lead == 0xF4) return {3, 0x80, 0x8F};  // nothing past U+10FFFF
    return {0, 0, 0};
}

// UTF-8 to UTF-16 by hand, for a text the system found invalid: the system
// would resynchronize differently (Wine even drops the byte after a cut-off
// sequence). Each maximal part of a well-formed sequence that is cut off, and
// each byte that starts none, becomes one U+FFFD; the next byte starts afresh.
std::u16string DecodeUtf8Replacing(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i++]);
        if (lead < 0x80) {
            out.push_back(lead);
            continue;
        }
        const Utf8Lead shape = Utf8LeadOf(lead);
        if (shape.follow == 0) {
            out.push_back(kReplacementCharacter);
            continue;
        }
        char32_t code = lead & (0x3F >> shape.follow);
        size_t taken = 0;
        while (taken < shape.follow && i < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i]);
            const bool fits = taken == 0 ? next >= shape.low && next <= shape.high : next >= 0x80 && next <= 0xBF;
            if (!fits) break;
            code = code << 6 | (next & 0x3F);
            ++taken;
            ++i;
        }
        if (taken < shape.follow) {
            out.push_back(kReplacementCharacter);
        } else if (code >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

// UTF-8 to UTF-16: the system converts a valid text; an invalid one is
// decoded by hand, each invalid sequence becoming U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    if (MultiByteToUtf16(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, out)) return out;
    return DecodeUtf8Replacing(utf8);
}

std::string Utf16ToUtf8(std::u16string_view units) {
    if (!HasSurrogate(units)) return Utf16ToMultiByte(CP_UTF8, units);
    return Utf16ToMultiByte(CP_UTF8, WithoutSurrogates(units, true));
}

}  // namespace

std::u16string ToUtf16(int code_page, std::string_view bytes) {
    if (IsGbk(code_page)) return GbkToUtf16(bytes);
    if (code_page == kCodePageUtf8) return Utf8ToUtf16(bytes);
    return {};
}

std::string FromUtf16(int code_page, std::u16string_view units) {
    if (IsGbk(code_page)) return Utf16ToGbk(units);
    if (code_page == kCodePageUtf8) return Utf16ToUtf8(units);
    return {};
}

std::string Utf8ToCp936(std::string_view utf8, size_t piece_bytes) {
    std::string out;
    out.reserve(utf8.size() + 16);
    for (size_t start = 0; start < utf8.size();) {
        const size_t end = Utf8PieceEnd(utf8, start, piece_bytes);
        out += Utf16ToGbk(Utf8ToUtf16(utf8.substr(start, end - start)));
        start = end;
    }
    return out;
}
std::string Cp936ToUtf8(std::string_view cp936) { return Utf16ToUtf8(GbkToUtf16(cp936)); }
std::u16string Cp936ToUtf16(std::string_view cp936) { return GbkToUtf16(cp936); }
std::string Utf16ToCp936(std::u16string_view units) { return Utf16ToGbk(units); }

}  // namespace qimbra::platform
