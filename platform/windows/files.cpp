#include "platform/files.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <random>

#include "platform/encoding.h"

namespace qimbra::platform {
namespace {

// Long enough for the target's name plus the suffix to stay under the usual
// 255-character limit of a file name.
constexpr size_t kMaxTempStem = 200;
constexpr int kTempAttempts = 100;
// Chunks of at most this many bytes go to one WriteFile call, whose count is 32 bits.
constexpr size_t kMaxWriteChunk = size_t{1} << 30;

// A file handle that closes itself.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (valid()) CloseHandle(handle_);
    }
    [[nodiscard]] bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    [[nodiscard]] HANDLE get() const { return handle_; }
    // Closes now and tells whether the close succeeded.
    bool Close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != 0;
    }

  private:
    HANDLE handle_;
};

// The UTF-16 name the system is given for the UTF-8 `native_path`. A full
// name past the classic MAX_PATH limit takes the "\\?\" form, which has no
// such limit but must be absolute, hence the full name first.
std::wstring SystemName(const std::string& native_path) {
    const std::u16string units = ToUtf16(kCodePageUtf8, native_path);
    std::wstring name(units.begin(), units.end());
    if (name.empty()) return name;
    const DWORD needed = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return name;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(name.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return name;
    full.resize(length);
    if (full.size() < MAX_PATH - 12) return name;  // CreateDirectoryW leaves room for an 8.3 name
    if (full.starts_with(L"\\\\?\\")) return full;
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::string RandomSuffix() {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<uint64_t> counter{0};
    thread_local std::mt19937_64 generator(std::random_device{}() ^ static_cast<uint64_t>(GetCurrentProcessId()) << 32 ^
                                           counter.fetch_add(1));
    std::string suffix(6, 'A');
    for (char& c : suffix) c = kAlphabet[generator() % (sizeof(kAlphabet) - 1)];
    return suffix;
}

// Creates a new private file beside `target`, named ".<target name>.XXXXXX",
// that nobody else may open while it is being written.
HANDLE CreateTempBeside(const std::string& target, std::wstring& temp_name) {
    size_t cut = target.size();
    while (cut > 0 && !IsPathSeparator(target[cut - 1])) --cut;
    const std::string directory = target.substr(0, cut);
    std::string stem = target.substr(cut);
    if (stem.size() > kMaxTempStem) stem.resize(kMaxTempStem);
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        temp_name = SystemName(directory + "." + stem + "." + RandomSuffix());
        const HANDLE handle =
            CreateFileW(temp_name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return handle;
    }
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min(bytes.size(), kMaxWriteChunk));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// Sets errno to the POSIX number nearest to the system's `error`, so that the
// callers' reasons for a failed write read the same as on Linux.
void SetErrnoFrom(DWORD error) {
    switch (error) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            errno = ENOSPC;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            errno = EACCES;
            break;
        case ERROR_WRITE_PROTECT:
            errno = EROFS;
            break;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            errno = EEXIST;
            break;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_PATHNAME:
            errno = ENOENT;
            break;
        case ERROR_DIRECTORY:
            errno = ENOTDIR;
            break;
        case ERROR_FILENAME_EXCED_RANGE:
            errno = ENAMETOOLONG;
            break;
        case ERROR_INVALID_NAME:
            errno = EINVAL;
            break;
        case ERROR_DIR_NOT_EMPTY:
            errno = ENOTEMPTY;
            break;
        default:
            errno = EIO;
            break;
    }
}

// Sets errno from the last error of this thread and gives false.
bool FailWithLastError() {
    SetErrnoFrom(GetLastError());
    return false;
}

DWORD AttributesOf(const std::string& native_path) {
    if (native_path.empty()) return INVALID_FILE_ATTRIBUTES;
    return GetFileAttributesW(SystemName(native_path).c_str());
}

}  // namespace

std::string NativePath(std::string_view cp936_path) { return Cp936ToUtf8(cp936_path); }

bool ReplaceFileAtomically(const std::string& native_path, std::span<const std::string_view> parts) {
    if (native_path.empty()) return false;
    std::wstring temp_name;
    FileHandle file(CreateTempBeside(native_path, temp_name));
    if (!file.valid()) return FailWithLastError();
    bool written = true;
    for (std::string_view part : parts) {
        if (!WriteAll(file.get(), part)) {
            written = false;
            break;
        }
    }
    DWORD error = written ? ERROR_SUCCESS : GetLastError();
    const bool closed = file.Close();
    if (written && !closed) error = GetLastError();
    bool directory_in_the_way = false;
    if (written && closed &&
        !MoveFileExW(temp_name.c_str(), SystemName(native_path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
        // A directory of that name answers "access denied"; say what is in the way.
        directory_in_the_way = IsDirectory(native_path);
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileW(temp_name.c_str());
        if (directory_in_the_way) {
            errno = EISDIR;
        } else {
            SetErrnoFrom(error);
        }
        return false;
    }
    return true;
}

std::string ReadFileStart(const std::string& native_path, size_t max_bytes) {
    if (native_path.empty()) return {};
    FileHandle file(CreateFileW(SystemName(native_path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return {};
    std::string bytes(max_bytes, '\0');
    size_t filled = 0;
    while (filled < max_bytes) {
        const DWORD chunk = static_cast<DWORD>(std::min(max_bytes - filled, kMaxWriteChunk));
        DWORD got = 0;
        if (!::ReadFile(file.get(), bytes.data() + filled, chunk, &got, nullptr)) return {};
        if (got == 0) break;
        filled += got;
    }
    bytes.resize(filled);
    return bytes;
}

bool IsDirectory(const std::string& native_path) {
    const DWORD attributes = AttributesOf(native_path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PathExists(const std::string& native_path) { return AttributesOf(native_path) != INVALID_FILE_ATTRIBUTES; }

bool RemoveFile(const std::string& native_path) {
    if (native_path.empty()) return false;
    if (DeleteFileW(SystemName(native_path).c_str())) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    SetErrnoFrom(error);
    return false;
}

bool RemoveEmptyDirectory(const std::string& native_path) {
    if (native_path.empty()) return false;
    return RemoveDirectoryW(SystemName(native_path).c_str()) != 0 || FailWithLastError();
}

bool MakeDirectory(const std::string& native_path) {
    if (native_path.empty()) return false;
    if (CreateDirectoryW(SystemName(native_path).c_str(), nullptr)) return true;
    const DWORD error = GetLastError();
    if ((error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) && IsDirectory(native_path)) return true;
    // A file of that name is in the way.
    if (error == ERROR_ALREADY_EXISTS) {
        errno = EEXIST;
        return false;
    }
    SetErrnoFrom(error);
    return false;
}

}  // namespace qimbra::platform
