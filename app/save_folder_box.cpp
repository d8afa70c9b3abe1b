#include "app/save_folder_box.h"

#include <string>

#include "platform/encoding.h"
#include "platform/files.h"
#include "values/literal.h"

namespace qimbra {

namespace {

constexpr char16_t kSeparator = static_cast<char16_t>(platform::kPathSeparator);
constexpr bool kWindowsPaths = platform::kPathSeparator == '\\';

bool IsBlank(char16_t unit) {
    return unit == u' ' || unit == u'\t' || unit == u'\r' || unit == u'\n' || unit == u'\u3000';
}

bool IsSeparator(char16_t unit) { return unit == kSeparator || unit == u'/'; }

std::u16string_view Trimmed(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsAbsolute(std::u16string_view path) {
    if (!kWindowsPaths) return !path.empty() && path.front() == u'/';
    // "\\server\share", "\folder" on the current drive, "D:\folder".
    if (!path.empty() && IsSeparator(path.front())) return true;
    return path.size() >= 3 && path[1] == u':' && IsSeparator(path[2]) &&
           ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
}

}  // namespace

bool ExactCp936(std::u16string_view units, Text& bytes) {
    const std::string converted = platform::Utf16ToCp936(units);
    // A lost character turns into "?" on the way; going back shows it.
    if (platform::Cp936ToUtf16(converted) != units) return false;
    bytes = Text(converted);
    return true;
}

BoxFolder ReadBoxFolder(std::u16string_view box_text, std::u16string_view home_folder) {
    const std::u16string_view text = Trimmed(box_text);
    BoxFolder result;
    if (text.empty()) return result;

    if (text == u"~") {
        result.full_path = home_folder;
    } else if (text.size() >= 2 && text[0] == u'~' && IsSeparator(text[1])) {
        result.full_path = std::u16string(home_folder) + kSeparator + std::u16string(text.substr(2));
    } else if (IsAbsolute(text)) {
        result.full_path = text;
    } else {
        result.full_path = std::u16string(home_folder) + kSeparator + std::u16string(text);
    }
    result.kind =
        ExactCp936(result.full_path, result.folder) ? BoxFolder::Kind::kFolder : BoxFolder::Kind::kNotInCodePage;
    if (result.kind == BoxFolder::Kind::kNotInCodePage) result.folder = Text();
    return result;
}

const Text& NotInCodePageNotice() {
    static const Text text = Cp936("保存目录里有无法使用的字符，请换一个文件夹");
    return text;
}

}  // namespace qimbra
