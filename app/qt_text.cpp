#include "app/qt_text.h"

#include <string>
#include <string_view>

#include "platform/encoding.h"

namespace qimbra {

namespace {

std::u16string_view Units(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

}  // namespace

QString ToQString(const Text& text) {
    const std::u16string units = platform::Cp936ToUtf16(text.view());
    return QString(reinterpret_cast<const QChar*>(units.data()), static_cast<qsizetype>(units.size()));
}

Text TextFromQString(const QString& text) { return Text(platform::Utf16ToCp936(Units(text))); }

std::optional<Text> ExactTextFromQString(const QString& text) {
    const std::string bytes = platform::Utf16ToCp936(Units(text));
    // A lost character turns into "?" on the way; going back shows it.
    if (platform::Cp936ToUtf16(bytes) != Units(text)) {
        return std::nullopt;
    }
    return Text(bytes);
}

}  // namespace qimbra
