#pragma once

#include <string_view>

#include "values/text.h"

namespace qimbra {

// The one way a literal written in UTF-8 source reaches a Text: converted to
// its code page 936 bytes. Convert once and keep the result where a literal is
// used often: `static const Text kDone = Cp936("采集完成");`
[[nodiscard]] Text Cp936(std::string_view utf8);

}  // namespace qimbra
