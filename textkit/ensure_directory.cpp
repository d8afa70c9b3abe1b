#include "textkit/ensure_directory.h"

#include <string>

#include "platform/files.h"

namespace qimbra {

bool EnsureDirectory(const Text& path) {
    using platform::kPathSeparator;
    // The separator test runs on the native name: in code page 936 a
    // separator byte may be the second byte of a character.
    std::string native = platform::NativePath(path.view());
    if (native.empty() || native.back() != kPathSeparator) native.push_back(kPathSeparator);

    // Every separator ends one directory of the path, from the outermost in.
    for (size_t end = native.find(kPathSeparator); end != std::string::npos;
         end = native.find(kPathSeparator, end + 1)) {
        if (end == 0 || native[end - 1] == kPathSeparator) continue;  // the root, or a doubled separator
        const std::string directory = native.substr(0, end);
        if (platform::IsDirectory(directory)) continue;
        if (!platform::MakeDirectory(directory)) return false;
    }
    return platform::IsDirectory(native);
}

}  // namespace qimbra
