#include "testing/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

namespace qimbra::testing {
namespace {

constexpr int kAttempts = 100;

std::string RandomName() {
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 generator(std::random_device{}());
    std::string name = "qimbra-test-";
    for (int i = 0; i < 8; ++i) name += kAlphabet[generator() % (sizeof(kAlphabet) - 1)];
    return name;
}

}  // namespace

TempDir::TempDir() {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) base = "/tmp";
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::filesystem::path candidate = base / RandomName();
        // True only for a folder this call made; an existing one is someone else's.
        if (std::filesystem::create_directory(candidate, error)) {
            const std::u8string utf8 = candidate.u8string();
            path_.assign(utf8.begin(), utf8.end());
            return;
        }
    }
    std::abort();  // a test cannot go on without its folder
}

TempDir::~TempDir() {
    std::error_code error;
    const std::filesystem::path root(std::u8string(path_.begin(), path_.end()));
    // Tests may leave read-only folders behind; make them writable first.
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, error);
        }
    }
    std::filesystem::remove_all(root, error);
}

}  // namespace qimbra::testing
