#pragma once

#include <map>
#include <string>

namespace qimbra::demo {

// Paints every picture of every demo entry and encodes it as JPEG, keyed by
// its path on the image host (see ImagePath). Needs a QGuiApplication.
[[nodiscard]] std::map<std::string, std::string> PaintPictures();

}  // namespace qimbra::demo
