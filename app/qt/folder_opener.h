#pragma once

#include <functional>

#include "values/text.h"

namespace qimbra {

// Opens `folder` (code page 936) in the desktop's file manager, through Qt's
// desktop services, unless a test has put another opener in its place. False
// when nothing could open it. Window thread only.
bool OpenFolderInFileManager(const Text& folder);

// Puts `opener` in the place of the desktop services; an empty one brings
// them back. For tests.
void ReplaceFolderOpener(std::function<bool(const Text& folder)> opener);

}  // namespace qimbra
