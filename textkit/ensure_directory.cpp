#include "textkit/ensure_directory.h"

#include <string>

#include "platform/files.h"

namespace qimbra {

bool EnsureDirectory(const Text& path) {
    using platform::IsPathSeparator;
    // The separator test runs on the native name: in code page 936 a
    // separator byte may be the second byte of a character.
    std::string native = platform::NativePath(path.view());
    if (native.empty() || !IsPathSeparator(native.back())) native.push_back(platform::kPathSeparator);

    // Every separator ends one directory of the path, from the outermost in.
    for (size_t end = 0; end < native.size(); ++end) {
        if (!IsPathSeparator(native[end])) continue;
        if (end == 0 || IsPathSeparator(native[end - 1])) continue;  // the root, or a doubled separator
        const std::string directory = native.substr(0, end);
        if (platform::IsDirectory(directory)) continue;
        if (!platform::MakeDirectory(directory)) return false;
    }
    return platform::IsDirectory(native);
}

}  // namespace qimbra
