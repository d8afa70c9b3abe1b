#pragma once

#include <QString>
#include <optional>

#include "values/text.h"

namespace qimbra {

// The widgets' UTF-16 for a code page 936 text. Invalid byte sequences show
// as U+FFFD.
[[nodiscard]] QString ToQString(const Text& text);

// The code page 936 bytes of a widget's text. A character the code page lacks
// becomes "?"; the text ends at a U+0000 if it holds one.
[[nodiscard]] Text TextFromQString(const QString& text);

// Like TextFromQString, but nothing when some character of `text` has no form
// in code page 936, so that a name is never silently changed into another.
[[nodiscard]] std::optional<Text> ExactTextFromQString(const QString& text);

}  // namespace qimbra
