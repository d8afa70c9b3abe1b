#pragma once

#include <functional>

#include "values/text.h"

namespace qimbra {

// Opens `folder` in the system's file manager (the shell's "open" verb).
// True when that was started. A test may put another opener in its place.
bool OpenFolderInFileManager(const Text& folder);
void ReplaceFolderOpener(std::function<bool(const Text& folder)> opener);

}  // namespace qimbra
