#include "collect/folder_names.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "values/literal.h"

namespace qimbra {

namespace {

// The longest name of one directory entry that the file system takes, in
// bytes of its own encoding.
constexpr size_t kMaxNameBytes = 255;

// Windows refuses more characters in names than the separators, and folds
// the letter case of ASCII names.
constexpr bool kWindowsNames = platform::kPathSeparator == '\\';

bool FitsFileSystem(std::string_view name, size_t budget) { return platform::NativePath(name).size() <= budget; }

// The longest prefix of `name` that ends at a character boundary and whose
// file-system form takes at most `budget` bytes; `name` itself when it fits.
std::string CutToFit(std::string name, size_t budget = kMaxNameBytes) {
    if (FitsFileSystem(name, budget)) return name;
    // Where each character ends: a lead byte takes the next byte with it.
    std::vector<size_t> ends;
    for (size_t i = 0; i < name.size();) {
        i += static_cast<unsigned char>(name[i]) >= 0x80 && i + 1 < name.size() ? 2 : 1;
        ends.push_back(i);
    }
    // The first `fitting` characters fit, the first `too_many` do not.
    size_t fitting = 0;
    size_t too_many = ends.size();
    while (too_many - fitting > 1) {
        const size_t middle = fitting + (too_many - fitting) / 2;
        if (FitsFileSystem(std::string_view(name).substr(0, ends[middle - 1]), budget)) {
            fitting = middle;
        } else {
            too_many = middle;
        }
    }
    name.resize(fitting == 0 ? 0 : ends[fitting - 1]);
    return name;
}

bool RefusedByWindows(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F ||
           std::string_view("<>:\"|?*").find(static_cast<char>(byte)) != std::string_view::npos;
}

// Windows drops trailing dots and blanks from names, which would make two
// names one.
void ReplaceTrailingDotsAndBlanks(std::string& name) {
    for (size_t i = name.size(); i > 0 && (name[i - 1] == '.' || name[i - 1] == ' '); --i) name[i - 1] = '_';
}

// How the file system compares two names.
std::string ComparedForm(const Text& name) {
    // The file system's own form: code page 936 bytes that are no valid
    // character all become U+FFFD there, so two such names are one folder.
    std::string form = platform::NativePath(name.view());
    if (kWindowsNames) {
        // In UTF-8 a byte below 0x80 is always a character of its own.
        for (char& c : form) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c | 0x20);
        }
    }
    return form;
}

// The last path segment of an entry's link, without a query or fragment.
Text LastSegment(const Text& link) {
    std::string_view path = link.view();
    path = path.substr(0, path.find_first_of("?#"));
    while (!path.empty() && path.back() == '/') path.remove_suffix(1);
    const size_t slash = path.rfind('/');
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    return Text(path);
}

}  // namespace

Text FolderNameOfTitle(const Text& title) {
    if (title.view() == "." || title.view() == "..") return Text("_");
    std::string name = title.bytes();
    for (size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte == '/') {
            name[i] = '_';
        } else if (byte >= 0x80) {
            // A lead byte takes the next byte with it, except a "/": that is
            // never the second byte of a valid character, and the file layer
            // reads it as a separator after a broken lead byte.
            if (i + 1 < name.size() && name[i + 1] != '/') ++i;
        } else if (byte == static_cast<unsigned char>(platform::kPathSeparator) ||
                   (kWindowsNames && RefusedByWindows(byte))) {
            name[i] = '_';
        }
    }
    name = CutToFit(std::move(name));
    if (kWindowsNames) ReplaceTrailingDotsAndBlanks(name);
    return Text(name);
}

Text JoinPath(const Text& folder, const Text& name) {
    std::string path = folder.bytes();
    path += platform::kPathSeparator;
    path += name.bytes();
    return Text(path);
}

Text EntryFolderNames::NameFor(const Text& link, const Text& title) {
    if (const auto known = by_link_.find(link.bytes()); known != by_link_.end()) return known->second;

    Text base = FolderNameOfTitle(title.empty() ? LastSegment(link) : title);
    // A link without a usable last segment ("", "..") names no folder.
    if (title.empty() && (base.empty() || base.view() == "_")) base = Cp936("未命名");
    Text name = base;
    for (int number = 2; taken_.count(ComparedForm(name)) != 0; ++number) {
        const std::string suffix = " (" + std::to_string(number) + ")";
        name = Text(CutToFit(base.bytes(), kMaxNameBytes - suffix.size()) + suffix);
    }
    taken_.insert(ComparedForm(name));
    by_link_.emplace(link.bytes(), name);
    return name;
}

}  // namespace qimbra
