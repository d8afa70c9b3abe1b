#pragma once

#include <string_view>

#include "values/text.h"

namespace qimbra {

// True when `bytes` start with the signature of a common image format: JPEG,
// PNG, GIF, WebP, BMP, TIFF, ICO, AVIF/HEIF, JPEG XL. An empty body, an error
// page, a compressed or text body is no picture. IsPicture("\xFF\xD8\xFF...")
// is true; IsPicture("<html>") is false.
[[nodiscard]] bool IsPicture(std::string_view bytes);

// True when the file at `path` (code page 936) exists and starts like a
// picture (see IsPicture); false when it is missing, unreadable or anything
// else.
[[nodiscard]] bool FileHoldsPicture(const Text& path);

}  // namespace qimbra
