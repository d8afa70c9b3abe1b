#include "collect/picture_test.h"

#include <algorithm>
#include <cstddef>
#include <string>

#include "platform/files.h"

namespace qimbra {

namespace {

using namespace std::string_view_literals;

// One image format's signature: `first` at `first_offset`, and `second` (when
// not empty) at `second_offset`.
struct Signature {
    size_t first_offset;
    std::string_view first;
    size_t second_offset = 0;
    std::string_view second = {};
};

// The formats a gallery serves. HEIF-family files (AVIF, HEIC) are ISO media
// files whose "ftyp" box names an image brand right after it.
constexpr Signature kSignatures[] = {
    {0, "\xFF\xD8\xFF"sv},              // JPEG
    {0, "\x89PNG\r\n\x1A\n"sv},         // PNG
    {0, "GIF87a"sv},                    // GIF
    {0, "GIF89a"sv},                    // GIF
    {0, "RIFF"sv, 8, "WEBP"sv},         // WebP
    {0, "BM"sv, 6, "\0\0\0\0"sv},       // BMP (its reserved bytes are zero)
    {0, "II*\0"sv},                     // TIFF, little-endian
    {0, "MM\0*"sv},                     // TIFF, big-endian
    {0, "\0\0\1\0"sv},                  // ICO
    {4, "ftypavif"sv},                  // AVIF
    {4, "ftypavis"sv},                  // AVIF sequence
    {4, "ftypheic"sv},                  // HEIC
    {4, "ftypheix"sv},                  // HEIC
    {4, "ftyphevc"sv},                  // HEIC sequence
    {4, "ftypheif"sv},                  // HEIF
    {4, "ftypmif1"sv},                  // HEIF
    {4, "ftypmsf1"sv},                  // HEIF sequence
    {0, "\xFF\x0A"sv},                  // JPEG XL codestream
    {0, "\0\0\0\x0CJXL \r\n\x87\n"sv},  // JPEG XL container
};

// Enough bytes for every signature above.
constexpr size_t kLongestSignature = 16;

bool HasAt(std::string_view bytes, size_t offset, std::string_view part) {
    return bytes.size() >= offset + part.size() && bytes.substr(offset, part.size()) == part;
}

}  // namespace

bool IsPicture(std::string_view bytes) {
    return std::any_of(std::begin(kSignatures), std::end(kSignatures), [&](const Signature& signature) {
        return HasAt(bytes, signature.first_offset, signature.first) &&
               (signature.second.empty() || HasAt(bytes, signature.second_offset, signature.second));
    });
}

bool FileHoldsPicture(const Text& path) {
    if (path.empty()) return false;
    return IsPicture(platform::ReadFileStart(platform::NativePath(path.view()), kLongestSignature));
}

}  // namespace qimbra
