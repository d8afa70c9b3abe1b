#include "textkit/quote_token.h"

#include "values/literal.h"
#include "values/text_ops.h"

namespace qimbra {

Text ExpandQuoteToken(const Text& text) {
    static const Text kQuoteToken = Cp936("#引号");
    static const Text kQuote("\"");
    return ReplaceText(text, kQuoteToken, kQuote);
}

}  // namespace qimbra
