#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "values/text.h"

namespace qimbra {

// Shows the system's own folder picker over `owner` titled `title`, opening
// at `start_folder` (empty: the picker's own choice). Returns the chosen
// folder's path, the empty Text when the user cancels, and none when the
// path has a character that code page 936 cannot hold (the program could not
// name it again). Window thread only; COM must be set up on it.
using FolderBrowser = std::function<std::optional<Text>(HWND owner, const Text& title, const Text& start_folder)>;

// Runs the current folder browser: the system's picker unless a test has put
// another in its place.
[[nodiscard]] std::optional<Text> BrowseForFolder(HWND owner, const Text& title, const Text& start_folder);

// Puts `browser` in the place of the picker; an empty one brings it back.
// For tests.
void ReplaceFolderBrowser(FolderBrowser browser);

}  // namespace qimbra
