// EnsureDirectory where POSIX file systems refuse a directory.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>

#include "testing/temp_dir.h"
#include "textkit/ensure_directory.h"

namespace qimbra {
namespace {

namespace fs = std::filesystem;

Text Under(const qimbra::testing::TempDir& dir, const std::string& relative) {
    return Text(dir.path() + "/" + relative);
}

TEST(EnsureDirectory, FailsWhereNobodyMayMakeDirectories) {
    // Not even root may make directories here.
    EXPECT_FALSE(EnsureDirectory(Text("/proc/qimbra-textkit-test/sub")));
}

// A folder in which nothing may be made: a read-only file system where the
// test may mount one (root, who passes every permission bit), else a folder
// without the write bit.
class UnwritableFolder {
  public:
    explicit UnwritableFolder(std::string path) : path_(std::move(path)) {
        fs::create_directories(path_);
        mounted_ = mount("tmpfs", path_.c_str(), "tmpfs", MS_RDONLY, "size=64k") == 0;
        if (!mounted_) chmod(path_.c_str(), 0500);
    }
    ~UnwritableFolder() {
        if (mounted_) {
            umount2(path_.c_str(), MNT_DETACH);
        } else {
            chmod(path_.c_str(), 0700);
        }
    }
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

  private:
    std::string path_;
    bool mounted_ = false;
};

TEST(EnsureDirectory, FailsWithoutTheRightToWrite) {
    const qimbra::testing::TempDir dir;
    {
        const UnwritableFolder locked(dir.Child("locked"));
        EXPECT_FALSE(EnsureDirectory(Under(dir, "locked/a/b")));
        EXPECT_FALSE(fs::exists(dir.Child("locked/a")));
    }
    EXPECT_FALSE(fs::exists(dir.Child("locked/a")));
}

}  // namespace
}  // namespace qimbra
