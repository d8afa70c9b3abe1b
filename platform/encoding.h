#pragma once

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
[[nodiscard]] std::string Utf8ToCp936(std::string_view utf8);
[[nodiscard]] std::string Cp936ToUtf8(std::string_view cp936);
[[nodiscard]] std::u16string Cp936ToUtf16(std::string_view cp936);
[[nodiscard]] std::string Utf16ToCp936(std::u16string_view units);

}  // namespace qimbra::platform
