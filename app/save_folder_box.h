#pragma once

#include <string>
#include <string_view>

#include "values/text.h"

namespace qimbra {

// What the save-folder box's text names, by the box's rules: blanks at either
// end are ignored; "~" alone or in front of a separator is the home folder; a
// relative path is taken relative to the home folder (a desktop program's
// working folder is arbitrary); an absolute path stays as it is.
struct BoxFolder {
    enum class Kind {
        kEmpty,          // nothing but blanks
        kFolder,         // `folder` and `full_path` name the folder
        kNotInCodePage,  // a character has no form in code page 936
    };
    Kind kind = Kind::kEmpty;
    Text folder;               // code page 936, the folder a run saves into
    std::u16string full_path;  // the same, for the box to show
};

// The box rules above for `box_text`, with `home_folder` (absolute, no
// trailing separator) as the home folder.
// ReadBoxFolder(u" 相册 ", u"/home/me") gives "/home/me/相册".
[[nodiscard]] BoxFolder ReadBoxFolder(std::u16string_view box_text, std::u16string_view home_folder);

// The code page 936 bytes of `units`, or false when some character has no
// form there (it would turn into "?" and name another folder).
[[nodiscard]] bool ExactCp936(std::u16string_view units, Text& bytes);

// The notice for a box whose folder has characters code page 936 lacks.
[[nodiscard]] const Text& NotInCodePageNotice();

}  // namespace qimbra
