#include "testing/file_contents.h"

#include <fstream>
#include <iterator>

namespace qimbra::testing {

std::filesystem::path Utf8Path(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadWholeFile(const std::string& utf8_path) { return ReadWholeFile(Utf8Path(utf8_path)); }

}  // namespace qimbra::testing
