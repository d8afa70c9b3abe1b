#pragma once

#include "collect/run_settings.h"
#include "values/text.h"

namespace qimbra {

// The addresses, markers, pattern and notices of the gallery, as code page
// 936 texts.

// "https://" + page_host + "/archives.html"
[[nodiscard]] Text ArchiveAddress(const RunSettings& settings);
// "https://" + page_host + "/" + `entry_link`, the link as the list writes it.
[[nodiscard]] Text EntryAddress(const RunSettings& settings, const Text& entry_link);
// "https://" + image_host + "/image/": where every image address starts.
[[nodiscard]] Text ImageAddressStart(const RunSettings& settings);

// The entry list lies between these two markers on the archive page.
[[nodiscard]] const Text& EntryListStartMarker();
[[nodiscard]] const Text& EntryListEndMarker();
// Sub-match 1 is an entry's link, sub-match 2 its title.
[[nodiscard]] const Text& EntryPattern();
// Ends every image address and every image file name: ".jpeg".
[[nodiscard]] const Text& ImageExtension();
// The placeholder in the image header template that the entry's link replaces.
[[nodiscard]] const Text& RefererPlaceholder();

// Shown when the save-folder box is empty.
[[nodiscard]] const Text& NoFolderNotice();
// Shown at the end of every run.
[[nodiscard]] const Text& DoneNotice();

}  // namespace qimbra
