// WriteFile's behaviour that only POSIX systems let a test provoke: the new
// file's permissions and a write cut short by the file-size limit.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "testing/file_contents.h"
#include "testing/temp_dir.h"
#include "values/values.h"

namespace qimbra {
namespace {

using testing::ReadWholeFile;

size_t EntryCount(const std::string& folder) {
    return static_cast<size_t>(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

class WriteFilePosixTest : public ::testing::Test {
  protected:
    Text PathOf(const std::string& name) const { return Text(folder_.Child(name)); }
    testing::TempDir folder_;
};

TEST_F(WriteFilePosixTest, NewFileGetsUsualPermissions) {
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(WriteFile(PathOf("p.jpeg"), Bytes("x")));
    ::umask(mask);
    struct stat info {};
    ASSERT_EQ(::stat(folder_.Child("p.jpeg").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

// A write that fails part-way (here the file-size limit, as a full disk would)
// leaves the earlier content under the target's name and no temporary file.
TEST_F(WriteFilePosixTest, FailedWriteKeepsEarlierContent) {
    const Text path = PathOf("1.jpeg");
    ASSERT_TRUE(WriteFile(path, Bytes("earlier content")));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const bool written = WriteFile(path, Bytes(std::string(1 << 20, 'x')));
        ::_exit(written ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write past the limit reported success";
    EXPECT_EQ(ReadWholeFile(folder_.Child("1.jpeg")), "earlier content");
    EXPECT_EQ(EntryCount(folder_.path()), 1u);
}

}  // namespace
}  // namespace qimbra
