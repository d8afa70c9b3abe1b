#include "app/qt/qt_text.h"

#include <string>
#include <string_view>

#include "app/save_folder_box.h"
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
    Text bytes;
    if (!ExactCp936(Units(text), bytes)) return std::nullopt;
    return bytes;
}

}  // namespace qimbra
