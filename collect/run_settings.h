#pragma once

#include <cstdint>
#include <functional>

#include "values/bytes.h"
#include "values/text.h"

namespace qimbra {

// Writes `data` to the file `path` (code page 936), replacing it; 0 when it
// was written, the system's error number when not.
using FileWriter = std::function<int(const Text& path, const Bytes& data)>;

// What a collection run needs to know about the gallery and its pacing.
struct RunSettings {
    Text page_host{};   // host (or host:port) of the archive and entry pages
    Text image_host{};  // host (or host:port) of the images
    // Wait before every entry page request and after every image, in
    // milliseconds.
    int32_t pause_ms = 500;
    // An image whose file already holds a picture is not fetched again.
    bool skip_saved_images = false;
    // A 429 or 503 answer that asks to come back within this many seconds is
    // waited for and asked once more; a longer wait is a failure.
    int32_t longest_retry_wait_s = 120;
    // How files are written; empty: to the file system (WriteFileReportingError).
    FileWriter write_file{};
};

// The hosts fixed when the program was built and the 500 ms pacing.
[[nodiscard]] RunSettings BuildTimeSettings();

// Writes `data` to `path` through WriteFile; 0 when written, else the system's
// error number for what went wrong (EIO when the system gave none).
int WriteFileReportingError(const Text& path, const Bytes& data);

// Creates the folder `path` with its parents through EnsureDirectory; 0 when
// it exists afterwards, else the system's error number (EIO when none).
int EnsureDirectoryReportingError(const Text& path);

}  // namespace qimbra
