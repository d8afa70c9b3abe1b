#pragma once

#include "values/text.h"

namespace qimbra {

// The folder into which runs save. Empty when the program starts; replaced by
// the choose-folder handler and at the start of every run, read by runs once
// per entry. Safe from any thread: every read returns its own copy, so no
// reader ever holds a value that another thread has since replaced.
[[nodiscard]] Text SaveDirectory();
void SetSaveDirectory(const Text& folder);

// The text of the main window's save-folder box, readable from any thread.
// The window stores every change of the box here; worker threads never touch
// the widget itself. Empty until the window has shown its default text.
[[nodiscard]] Text ReadSaveFolderBox();
void StoreSaveFolderBox(const Text& text);

}  // namespace qimbra
