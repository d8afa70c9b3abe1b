#pragma once

#include <functional>
#include <optional>

#include "values/text.h"

class QWidget;

namespace qimbra {

// Shows a modal folder browser over `owner` (none: over every window of the
// program) titled `title`, opening at `start_folder` (empty: the dialog's
// own choice), offering folders only and a field to type a path.
// Returns the chosen folder's path with the system's separators, or the empty
// Text when the user cancels. A folder whose path has a character that code
// page 936 cannot hold gives nothing (std::nullopt): the program could not
// name it again, and would write somewhere else.
using FolderBrowser = std::function<std::optional<Text>(QWidget* owner, const Text& title, const Text& start_folder)>;

// Runs the current folder browser: Qt's directory dialog unless a test has
// put another in its place. Window thread only.
[[nodiscard]] std::optional<Text> BrowseForFolder(QWidget* owner, const Text& title, const Text& start_folder = Text());

// Puts `browser` in the place of the dialog; an empty one brings the dialog
// back. For tests.
void ReplaceFolderBrowser(FolderBrowser browser);

}  // namespace qimbra
