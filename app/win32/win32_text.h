#pragma once

#include <string>
#include <string_view>

#include "values/text.h"

namespace qimbra {

// Code page 936 text as the UTF-16 that the system's W calls take.
[[nodiscard]] std::wstring Wide(const Text& cp936);
[[nodiscard]] std::wstring Wide(std::u16string_view units);

// UTF-16 from the system as the program's code page 936 text ('?' for a
// character the code page lacks).
[[nodiscard]] Text TextFromWide(std::wstring_view wide);
[[nodiscard]] std::u16string Units(std::wstring_view wide);

}  // namespace qimbra
