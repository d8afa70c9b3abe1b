// The code-page conversions on any bytes: they always finish, a Text never
// gains a zero byte, UTF-16 comes back terminated and without a zero unit
// inside, ASCII passes through unchanged and valid UTF-8 survives a round
// trip through UTF-16.
#include "textkit/code_page.h"

#include <string>
#include <string_view>

#include "fuzz/fuzz_checks.h"
#include "values/bytes.h"

using namespace qimbra;

namespace {

// Well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        size_t extra = 0;
        uint32_t code = 0;
        if (b < 0x80) {
            ++i;
            continue;
        }
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
            code = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            code = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            code = b & 0x07;
        } else {
            return false;
        }
        if (i + extra >= s.size()) return false;
        for (size_t k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            code = (code << 6) | (c & 0x3F);
        }
        if ((extra == 2 && code < 0x800) || (extra == 3 && (code < 0x10000 || code > 0x10FFFF))) return false;
        if (code >= 0xD800 && code <= 0xDFFF) return false;
        i += extra + 1;
    }
    return true;
}

void CheckWide(const Bytes& wide) {
    const std::string_view w = wide.view();
    if (w.empty()) return;
    QIMBRA_REQUIRE(w.size() % 2 == 0 && w.size() >= 2);
    QIMBRA_REQUIRE(w[w.size() - 1] == '\0' && w[w.size() - 2] == '\0');
    for (size_t i = 0; i + 2 < w.size(); i += 2) QIMBRA_REQUIRE(w[i] != '\0' || w[i + 1] != '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(bytes), size);
    const Text text(raw);

    const Text gbk = Utf8ToGbk(text);
    QIMBRA_REQUIRE(gbk.view().find('\0') == std::string_view::npos);
    if (fuzz::IsAscii(text)) QIMBRA_REQUIRE(gbk == text);
    if (text.empty()) QIMBRA_REQUIRE(gbk.empty());

    for (const std::optional<int32_t> code_page :
         {std::optional<int32_t>(), std::optional<int32_t>(936), std::optional<int32_t>(0),
          std::optional<int32_t>(65001), std::optional<int32_t>(12345)}) {
        const Bytes wide = TextToUtf16(text, code_page);
        CheckWide(wide);
        if (!text.empty() && code_page != 12345) QIMBRA_REQUIRE(!wide.view().empty());
        const Text back = Utf16ToText(wide, code_page);
        QIMBRA_REQUIRE(back.view().find('\0') == std::string_view::npos);
        if (fuzz::IsAscii(text) && code_page != 12345) QIMBRA_REQUIRE(back == text);
    }
    if (IsValidUtf8(text.view())) {
        QIMBRA_REQUIRE(Utf16ToText(TextToUtf16(text), 65001) == text);
    }
    // Any bytes as UTF-16, terminated or not, odd lengths included.
    const Bytes wide_raw(raw);
    for (const int32_t code_page : {0, 936, 65001}) {
        const Text out = Utf16ToText(wide_raw, code_page);
        QIMBRA_REQUIRE(out.view().find('\0') == std::string_view::npos);
    }
    return 0;
}
