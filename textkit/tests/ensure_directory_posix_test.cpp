// EnsureDirectory where POSIX file systems refuse a directory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

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

TEST(EnsureDirectory, FailsWithoutTheRightToWrite) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write anywhere";
    const qimbra::testing::TempDir dir;
    ASSERT_TRUE(EnsureDirectory(Under(dir, "locked")));
    chmod(dir.Child("locked").c_str(), 0500);
    EXPECT_FALSE(EnsureDirectory(Under(dir, "locked/a/b")));
    chmod(dir.Child("locked").c_str(), 0700);
    EXPECT_FALSE(fs::exists(dir.Child("locked/a")));
}

}  // namespace
}  // namespace qimbra
