#include "collect/folder_names.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/files.h"

namespace qimbra {

namespace {

// The longest name of one directory entry that the file system takes, in
// bytes of its own encoding.
constexpr size_t kMaxNameBytes = 255;

bool FitsFileSystem(std::string_view name) { return platform::NativePath(name).size() <= kMaxNameBytes; }

// The longest prefix of `name` that ends at a character boundary and whose
// file-system form fits; `name` itself when it fits.
std::string CutToFit(std::string name) {
    if (FitsFileSystem(name)) return name;
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
        if (FitsFileSystem(std::string_view(name).substr(0, ends[middle - 1]))) {
            fitting = middle;
        } else {
            too_many = middle;
        }
    }
    name.resize(fitting == 0 ? 0 : ends[fitting - 1]);
    return name;
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
        } else if (byte == static_cast<unsigned char>(platform::kPathSeparator)) {
            name[i] = '_';
        }
    }
    return Text(CutToFit(std::move(name)));
}

Text JoinPath(const Text& folder, const Text& name) {
    std::string path = folder.bytes();
    path += platform::kPathSeparator;
    path += name.bytes();
    return Text(path);
}

}  // namespace qimbra
