#include "textkit/code_page.h"

#include <string>

#include "platform/encoding.h"

namespace qimbra {
namespace {

int32_t Resolve(int32_t code_page) { return code_page == platform::kCodePageAnsi ? platform::kCodePageGbk : code_page; }

}  // namespace

Text Utf8ToGbk(const Text& text) {
    // The same two steps as TextToUtf16 and Utf16ToText, without packing the
    // units into Bytes in between.
    if (text.empty()) return Text();
    return Text(platform::Utf8ToCp936(text.view()));
}

Text Utf8BodyToGbk(Bytes&& body) {
    std::string converted;
    {
        // Destroyed, not assigned to: assigning an empty value would keep
        // the body's buffer.
        const Bytes taken(std::move(body));
        const std::string_view bytes = taken.view();
        converted = platform::Utf8ToCp936(bytes.substr(0, bytes.find('\0')));
    }
    return Text(converted);
}

Bytes TextToUtf16(const Text& text, std::optional<int32_t> code_page) {
    const std::u16string units = platform::ToUtf16(Resolve(code_page.value_or(platform::kCodePageUtf8)), text.view());
    if (units.empty()) return Bytes();
    std::string bytes;
    bytes.resize((units.size() + 1) * 2);  // the zero unit stays zero
    for (size_t i = 0; i < units.size(); ++i) {
        bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
    return Bytes(std::move(bytes));
}

Text Utf16ToText(const Bytes& wide, std::optional<int32_t> code_page) {
    const std::string_view bytes = wide.view();
    std::u16string units;
    units.reserve(bytes.size() / 2);
    // Up to the first zero unit; without one, to the last whole unit.
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (unit == 0) break;
        units.push_back(unit);
    }
    if (units.empty()) return Text();
    return Text(platform::FromUtf16(Resolve(code_page.value_or(platform::kCodePageAnsi)), units));
}

}  // namespace qimbra
