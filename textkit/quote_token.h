#pragma once

#include "values/text.h"

namespace qimbra {

// `text` with every "#引号" replaced by one double quote, the way markers and
// patterns write a quote: ExpandQuoteToken("x=#引号1#引号") == "x=\"1\"".
[[nodiscard]] Text ExpandQuoteToken(const Text& text);

}  // namespace qimbra
