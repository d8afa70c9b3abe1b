#pragma once

#include <map>
#include <set>
#include <string>

#include "values/text.h"

namespace qimbra {

// `title` as the name of one folder inside the save folder: every character
// that this system treats as a path separator ("/", and "\" on Windows)
// becomes "_", and a title that is exactly "." or ".." becomes "_". On
// Windows the characters it refuses in names (< > : " | ? *, control
// characters) and trailing dots and blanks become "_" too. Nothing else
// changes, so an empty title stays empty. A two-byte character whose second
// byte is "\" stays whole. A name whose file-system form (UTF-8 on Linux)
// would be longer than the 255 bytes one name may have is cut after its last
// whole character that still fits; shorter names stay as they are.
// FolderNameOfTitle("a/b") == "a_b"; FolderNameOfTitle("..") == "_".
[[nodiscard]] Text FolderNameOfTitle(const Text& title);

// `folder` + the path separator + `name`, without looking at what either ends
// or starts with: JoinPath("d/", "x") == "d//x" on Linux.
[[nodiscard]] Text JoinPath(const Text& folder, const Text& name);

// The folder names of one run's entries, one folder per entry. The same link
// always gets the same name. A title gives its FolderNameOfTitle; an empty
// one is named after the link's last path segment ("p/12.html" gives
// "12.html"), or "未命名" when that is empty too. A name that an entry with
// another link already has gets " (2)", " (3)", ... behind it, cut so that the
// whole name still fits. The same list of entries always gives the same names.
class EntryFolderNames {
  public:
    [[nodiscard]] Text NameFor(const Text& link, const Text& title);

  private:
    std::map<std::string, Text> by_link_;
    std::set<std::string> taken_;  // names given so far, as the file system compares them
};

}  // namespace qimbra
