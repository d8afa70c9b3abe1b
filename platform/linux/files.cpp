#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <random>

#include "platform/encoding.h"

namespace qimbra::platform {
namespace {

// Long enough for the target's name plus the suffix to stay under the usual
// 255-byte limit of a file name.
constexpr size_t kMaxTempStem = 200;
constexpr int kTempAttempts = 100;

// A file descriptor that closes itself.
class FileHandle {
  public:
    explicit FileHandle(int fd) : fd_(fd) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    [[nodiscard]] int get() const { return fd_; }
    // Closes now and tells whether the close succeeded.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

std::string RandomSuffix() {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<uint64_t> counter{0};
    thread_local std::mt19937_64 generator(std::random_device{}() ^ static_cast<uint64_t>(::getpid()) << 32 ^
                                           counter.fetch_add(1));
    std::string suffix(6, 'A');
    for (char& c : suffix) c = kAlphabet[generator() % (sizeof(kAlphabet) - 1)];
    return suffix;
}

// Creates a new private file beside `target`, named ".<target name>.XXXXXX".
// The mode 0666 lets the umask decide the permissions, as for any new file.
int CreateTempBeside(const std::string& target, std::string& temp_path) {
    const size_t slash = target.rfind('/');
    const std::string directory = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string stem = slash == std::string::npos ? target : target.substr(slash + 1);
    if (stem.size() > kMaxTempStem) stem.resize(kMaxTempStem);
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        temp_path = directory + "." + stem + "." + RandomSuffix();
        const int fd = ::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
    const char* next = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, next, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) return false;
        next += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

std::string NativePath(std::string_view cp936_path) { return Cp936ToUtf8(cp936_path); }

bool ReplaceFileAtomically(const std::string& native_path, std::span<const std::string_view> parts) {
    if (native_path.empty()) return false;
    std::string temp_path;
    FileHandle file(CreateTempBeside(native_path, temp_path));
    if (file.get() < 0) return false;
    bool written = true;
    for (std::string_view part : parts) {
        if (!WriteAll(file.get(), part)) {
            written = false;
            break;
        }
    }
    const bool closed = file.Close();
    if (!written || !closed || std::rename(temp_path.c_str(), native_path.c_str()) != 0) {
        ::unlink(temp_path.c_str());
        return false;
    }
    return true;
}

std::string ReadFileStart(const std::string& native_path, size_t max_bytes) {
    if (native_path.empty()) return {};
    FileHandle file(::open(native_path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) return {};
    std::string bytes(max_bytes, '\0');
    size_t filled = 0;
    while (filled < max_bytes) {
        const ssize_t got = ::read(file.get(), bytes.data() + filled, max_bytes - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return {};
        if (got == 0) break;
        filled += static_cast<size_t>(got);
    }
    bytes.resize(filled);
    return bytes;
}

bool IsDirectory(const std::string& native_path) {
    struct stat info {};
    return !native_path.empty() && ::stat(native_path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PathExists(const std::string& native_path) {
    struct stat info {};
    return !native_path.empty() && ::lstat(native_path.c_str(), &info) == 0;
}

bool RemoveFile(const std::string& native_path) {
    return !native_path.empty() && (::unlink(native_path.c_str()) == 0 || errno == ENOENT);
}

bool RemoveEmptyDirectory(const std::string& native_path) {
    return !native_path.empty() && ::rmdir(native_path.c_str()) == 0;
}

bool MakeDirectory(const std::string& native_path) {
    if (native_path.empty()) return false;
    if (::mkdir(native_path.c_str(), 0777) == 0) return true;
    return errno == EEXIST && IsDirectory(native_path);
}

}  // namespace qimbra::platform
