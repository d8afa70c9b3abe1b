#pragma once

#include "values/text.h"

namespace qimbra {

// `title` as the name of one folder inside the save folder: every character
// that this system treats as a path separator ("/", and "\" on Windows)
// becomes "_", and a title that is exactly "." or ".." becomes "_". Nothing
// else changes, so an empty title stays empty. A two-byte character whose
// second byte is "\" stays whole. A name whose file-system form (UTF-8 on
// Linux) would be longer than the 255 bytes one name may have is cut after
// its last whole character that still fits; shorter names stay as they are.
// FolderNameOfTitle("a/b") == "a_b"; FolderNameOfTitle("..") == "_".
[[nodiscard]] Text FolderNameOfTitle(const Text& title);

// `folder` + the path separator + `name`, without looking at what either ends
// or starts with: JoinPath("d/", "x") == "d//x" on Linux.
[[nodiscard]] Text JoinPath(const Text& folder, const Text& name);

}  // namespace qimbra
