#include "collect/folder_names.h"

#include <string>

#include "platform/files.h"

namespace qimbra {

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
    return Text(name);
}

Text JoinPath(const Text& folder, const Text& name) {
    std::string path = folder.bytes();
    path += platform::kPathSeparator;
    path += name.bytes();
    return Text(path);
}

}  // namespace qimbra
