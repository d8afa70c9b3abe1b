#pragma once

#include "values/text.h"

namespace qimbra {

// Creates the directory `path` (code page 936) with every missing parent and
// leaves existing ones as they are. Parts are separated by "/" on Linux and by
// "\" or "/" on Windows; a trailing separator is optional; the empty path names
// the file system's root.
// True when the directory exists afterwards; false when a part of the path
// cannot be created (no right to write, a file in the way).
bool EnsureDirectory(const Text& path);

}  // namespace qimbra
