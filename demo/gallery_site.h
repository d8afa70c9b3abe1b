#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qimbra::demo {

// One photo set of the demo gallery.
struct DemoEntry {
    std::string link;   // as the archive page writes it, e.g. "posts/1.html"
    std::string title;  // UTF-8
    int image_count = 0;
    int hue = 0;  // 0 to 359, the colour its pictures are painted in
};

// The handful of entries the demo gallery serves.
[[nodiscard]] const std::vector<DemoEntry>& DemoEntries();

// The archive page (UTF-8 HTML): the entry list between the two markers the
// collector cuts at, one link per entry.
[[nodiscard]] std::string ArchivePage();

// The page of entry `entry_number` (1-based, as EntryNumberOfPath gives it;
// UTF-8 HTML), its pictures addressed on `image_host`.
[[nodiscard]] std::string EntryPage(int entry_number, const std::string& image_host);

// The path on the image host of picture `number` (1-based) of `entry_number`
// (1-based), e.g. "/image/2024/3-2.jpeg".
[[nodiscard]] std::string ImagePath(int entry_number, int number);

// The entry whose page is at `path` ("/posts/1.html"), if any.
[[nodiscard]] std::optional<int> EntryNumberOfPath(const std::string& path);

}  // namespace qimbra::demo
