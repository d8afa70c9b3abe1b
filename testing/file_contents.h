#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qimbra::testing {

// The path named by the UTF-8 bytes `utf8`, on every system (a plain string
// would be read in the ANSI code page on Windows).
[[nodiscard]] std::filesystem::path Utf8Path(std::string_view utf8);

// The whole content of the file at `path`, byte for byte; empty when it can't
// be read.
[[nodiscard]] std::string ReadWholeFile(const std::filesystem::path& path);
// Likewise for a path given as UTF-8, such as TempDir::Child gives.
[[nodiscard]] std::string ReadWholeFile(const std::string& utf8_path);

}  // namespace qimbra::testing
