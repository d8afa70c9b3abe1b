#pragma once

#include <cstdint>

#include "values/text.h"

namespace qimbra {

// What a collection run needs to know about the gallery and its pacing.
struct RunSettings {
    Text page_host;   // host (or host:port) of the archive and entry pages
    Text image_host;  // host (or host:port) of the images
    // Wait before every entry page request and after every image, in
    // milliseconds.
    int32_t pause_ms = 500;
};

// The hosts fixed when the program was built and the 500 ms pacing.
[[nodiscard]] RunSettings BuildTimeSettings();

}  // namespace qimbra
