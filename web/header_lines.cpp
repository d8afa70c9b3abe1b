#include "web/header_lines.h"

#include <string>

#include "values/text_ops.h"
#include "values/value_ops.h"

namespace qimbra {
namespace {

const Text kColon(":");
const Text kCrLf("\r\n");

// `name` with the first byte of each of its "-"-separated words upper-cased
// when it is a-z, as CapitalizeFirst does to a word, without cutting the name
// into words. The walk keeps to character stops, so the second byte of a
// two-byte character is never taken for a "-" or for a letter.
std::string CapitalizedName(std::string_view name) {
    std::string out(name);
    bool word_start = true;
    for (size_t i = 0; i < out.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(out[i]);
        if (word_start && byte >= 'a' && byte <= 'z') out[i] = static_cast<char>(byte - ('a' - 'A'));
        word_start = byte == '-';
        if (byte >= 0x80) ++i;
    }
    return out;
}

}  // namespace

Text HeaderName(const Text& line) {
    const int32_t colon = FindText(line, kColon);
    if (colon == -1) return Text();
    return TrimText(TextLeft(line, colon - 1));
}

Text HeaderValue(const Text& line) {
    const int32_t colon = FindText(line, kColon);
    if (colon == -1) return Text();
    return TrimText(TextRight(line, TextLength(line) - colon));
}

Text CapitalizeFirst(const Text& word) {
    if (word.empty()) return Text();
    return ConcatText(UpperText(TextLeft(word, 1)), TextMid(word, 2, TextLength(word) - 1));
}

Text NormalizeHeaderNames(const Text& block) {
    std::string out;
    for (const Text& element : SplitText(block, kCrLf)) {
        const int32_t colon = FindText(element, kColon);
        if (colon == -1) continue;
        const size_t name_length = static_cast<size_t>(colon - 1);
        out += CapitalizedName(element.view().substr(0, name_length));
        out += element.view().substr(name_length);
        out += "\r\n";
    }
    if (!out.empty()) out.resize(out.size() - 2);
    return Text(out);
}

}  // namespace qimbra
