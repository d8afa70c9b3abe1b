#include "platform/encoding.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <memory>

#include "platform/utf8_pieces.h"

namespace qimbra::platform {
namespace {

constexpr UChar kReplacementCharacter = 0xFFFD;
constexpr UChar32 kQuestionMark = 0x3F;

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// Every invalid or unmappable input sequence becomes one U+FFFD, whatever
// substitution character the table itself declares.
void ToUnicodeReplace(const void* /*context*/, UConverterToUnicodeArgs* args, const char* /*code_units*/,
                      int32_t /*length*/, UConverterCallbackReason reason, UErrorCode* error) {
    if (reason > UCNV_IRREGULAR) return;  // reset, close, clone: nothing to write
    *error = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(args, &kReplacementCharacter, 1, 0, error);
}

ConverterPtr OpenGbk() {
    UErrorCode error = U_ZERO_ERROR;
    ConverterPtr converter(ucnv_open("windows-936-2000", &error));
    if (U_FAILURE(error)) return nullptr;
    ucnv_setToUCallBack(converter.get(), ToUnicodeReplace, nullptr, nullptr, nullptr, &error);
    // The table's own substitution byte would be 0x1A; Windows writes "?".
    ucnv_setSubstChars(converter.get(), "?", 1, &error);
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_SUBSTITUTE, nullptr, nullptr, nullptr, &error);
    if (U_FAILURE(error)) return nullptr;
    return converter;
}

// One converter per thread: opening one costs far more than a short conversion.
UConverter* GbkConverter() {
    thread_local ConverterPtr converter = OpenGbk();
    if (converter) ucnv_reset(converter.get());
    return converter.get();
}

bool IsGbk(int code_page) { return code_page == kCodePageAnsi || code_page == kCodePageGbk; }

// Runs one of ICU's streaming conversions, `convert(target, target_end, error)`
// (which moves `target` on past what it wrote), into a buffer of `first_size`
// units, doubling the buffer while ICU reports it full. Empty on failure.
template <typename Unit, typename Convert>
std::basic_string<Unit> ConvertGrowing(size_t first_size, Convert convert) {
    std::basic_string<Unit> out(first_size, Unit{});
    size_t written = 0;
    for (;;) {
        Unit* target = out.data() + written;
        UErrorCode error = U_ZERO_ERROR;
        convert(target, out.data() + out.size(), &error);
        written = static_cast<size_t>(target - out.data());
        if (error != U_BUFFER_OVERFLOW_ERROR) {
            if (U_FAILURE(error)) return {};
            break;
        }
        out.resize(out.size() * 2);
    }
    out.resize(written);
    return out;
}

std::u16string GbkToUtf16(std::string_view bytes) {
    UConverter* converter = GbkConverter();
    if (converter == nullptr || bytes.empty()) return {};
    const char* source = bytes.data();
    const char* source_end = bytes.data() + bytes.size();
    // Every input byte gives at most one UTF-16 unit.
    return ConvertGrowing<UChar>(bytes.size() + 1, [&](UChar*& target, UChar* target_end, UErrorCode* error) {
        ucnv_toUnicode(converter, &target, target_end, &source, source_end, nullptr, true, error);
    });
}

std::string Utf16ToGbk(std::u16string_view units) {
    UConverter* converter = GbkConverter();
    if (converter == nullptr || units.empty()) return {};
    const UChar* source = units.data();
    const UChar* source_end = source + units.size();
    // Every UTF-16 unit gives at most two bytes.
    return ConvertGrowing<char>(units.size() * 2 + 2, [&](char*& target, char* target_end, UErrorCode* error) {
        ucnv_fromUnicode(converter, &target, target_end, &source, source_end, nullptr, true, error);
    });
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    if (utf8.empty()) return {};
    std::u16string units(utf8.size() + 1, u'\0');
    int32_t length = 0;
    UErrorCode error = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(units.data()), static_cast<int32_t>(units.size()), &length,
                         utf8.data(), static_cast<int32_t>(utf8.size()), kReplacementCharacter, nullptr, &error);
    if (U_FAILURE(error)) return {};
    units.resize(static_cast<size_t>(length));
    return units;
}

std::string Utf16ToUtf8(std::u16string_view units) {
    if (units.empty()) return {};
    std::string bytes(units.size() * 3 + 1, '\0');
    int32_t length = 0;
    UErrorCode error = U_ZERO_ERROR;
    u_strToUTF8WithSub(bytes.data(), static_cast<int32_t>(bytes.size()), &length,
                       reinterpret_cast<const UChar*>(units.data()), static_cast<int32_t>(units.size()), kQuestionMark,
                       nullptr, &error);
    if (U_FAILURE(error)) return {};
    bytes.resize(static_cast<size_t>(length));
    return bytes;
}

}  // namespace

std::u16string ToUtf16(int code_page, std::string_view bytes) {
    if (IsGbk(code_page)) return GbkToUtf16(bytes);
    if (code_page == kCodePageUtf8) return Utf8ToUtf16(bytes);
    return {};
}

std::string FromUtf16(int code_page, std::u16string_view units) {
    if (IsGbk(code_page)) return Utf16ToGbk(units);
    if (code_page == kCodePageUtf8) return Utf16ToUtf8(units);
    return {};
}

std::string Utf8ToCp936(std::string_view utf8, size_t piece_bytes) {
    UConverter* converter = GbkConverter();
    if (converter == nullptr || utf8.empty()) return {};
    // The output is never longer than the input by more than a few bytes:
    // every character or invalid sequence becomes at most as many bytes.
    std::string out;
    out.reserve(utf8.size() + 16);
    std::u16string units;
    char staging[16384];
    for (size_t start = 0; start < utf8.size();) {
        const size_t end = Utf8PieceEnd(utf8, start, piece_bytes);
        units = Utf8ToUtf16(utf8.substr(start, end - start));
        start = end;
        const bool last = start == utf8.size();
        const UChar* source = units.data();
        const UChar* source_end = source + units.size();
        for (;;) {
            char* target = staging;
            UErrorCode error = U_ZERO_ERROR;
            ucnv_fromUnicode(converter, &target, staging + sizeof staging, &source, source_end, nullptr, last, &error);
            out.append(staging, static_cast<size_t>(target - staging));
            if (error == U_BUFFER_OVERFLOW_ERROR) continue;
            if (U_FAILURE(error)) return {};
            break;
        }
    }
    return out;
}
std::string Cp936ToUtf8(std::string_view cp936) { return Utf16ToUtf8(GbkToUtf16(cp936)); }
std::u16string Cp936ToUtf16(std::string_view cp936) { return GbkToUtf16(cp936); }
std::string Utf16ToCp936(std::u16string_view units) { return Utf16ToGbk(units); }

}  // namespace qimbra::platform
