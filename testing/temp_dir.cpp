#include "testing/temp_dir.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qimbra::testing {

TempDir::TempDir() {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) base = "/tmp";
    std::string pattern = (base / "qimbra-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();  // a test cannot go on without its folder
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code error;
    // Tests may leave read-only folders behind; make them writable first.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, error);
        }
    }
    std::filesystem::remove_all(path_, error);
}

}  // namespace qimbra::testing
