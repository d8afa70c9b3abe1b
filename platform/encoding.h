#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qimbra::platform {

// Windows code page numbers understood by the conversions.
inline constexpr int kCodePageAnsi = 0;  // the system's ANSI code page, which is 936 here
inline constexpr int kCodePageGbk = 936;
inline constexpr int kCodePageUtf8 = 65001;

// Converts `bytes` in `code_page` to UTF-16, all of them (zero bytes included).
// An invalid input sequence becomes U+FFFD and the conversion goes on.
// An unknown code page gives the empty string.
[[nodiscard]] std::u16string ToUtf16(int code_page, std::string_view bytes);

// Converts UTF-16 `units` to bytes in `code_page`. A character the code page
// lacks becomes "?", an unpaired surrogate likewise; the rest goes on.
// An unknown code page gives the empty string.
[[nodiscard]] std::string FromUtf16(int code_page, std::u16string_view units);

// Shorthands over the two above.
//
// Utf8ToCp936 converts `piece_bytes` of input at a time (the last argument
// is there for tests), so besides its result it holds only a small UTF-16
// buffer, never the whole text as UTF-16.
inline constexpr size_t kUtf8PieceBytes = 64 * 1024;
[[nodiscard]] std::string Utf8ToCp936(std::string_view utf8, size_t piece_bytes = kUtf8PieceBytes);
[[nodiscard]] std::string Cp936ToUtf8(std::string_view cp936);
[[nodiscard]] std::u16string Cp936ToUtf16(std::string_view cp936);
[[nodiscard]] std::string Utf16ToCp936(std::u16string_view units);

}  // namespace qimbra::platform
