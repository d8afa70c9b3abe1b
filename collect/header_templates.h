#pragma once

#include "collect/run_settings.h"
#include "values/text.h"

namespace qimbra {

// The request header blocks of a run, as code page 936 texts: "Name: value"
// lines joined by CR LF, none after the last line.

// For the archive page; its Referer is the archive page's own address.
[[nodiscard]] Text ArchiveHeaderTemplate(const RunSettings& settings);
// For every entry page; it has no Referer line.
[[nodiscard]] Text EntryHeaderTemplate(const RunSettings& settings);
// For every image; its Referer line reads "https://" + page_host + "/后缀",
// and the run puts the entry's link in place of "后缀".
[[nodiscard]] Text ImageHeaderTemplate(const RunSettings& settings);

}  // namespace qimbra
