#pragma once

#include <filesystem>
#include <string>

namespace qimbra::testing {

// The whole content of the file at `path`, byte for byte; empty when it can't
// be read.
[[nodiscard]] std::string ReadWholeFile(const std::filesystem::path& path);

}  // namespace qimbra::testing
