#include "app/win32/win32_text.h"

#include "platform/encoding.h"

namespace qimbra {

std::wstring Wide(const Text& cp936) { return Wide(platform::Cp936ToUtf16(cp936.view())); }

std::wstring Wide(std::u16string_view units) { return std::wstring(units.begin(), units.end()); }

std::u16string Units(std::wstring_view wide) { return std::u16string(wide.begin(), wide.end()); }

Text TextFromWide(std::wstring_view wide) { return Text(platform::Utf16ToCp936(Units(wide))); }

}  // namespace qimbra
