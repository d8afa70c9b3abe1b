#pragma once

#include <span>
#include <string>
#include <string_view>

namespace qimbra::platform {

// The separator between the parts of a path on this system, the one that
// paths are written with.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// True for every byte that separates the parts of a native path: "/" on
// Linux; "\" and "/" on Windows, which takes either.
[[nodiscard]] constexpr bool IsPathSeparator(char byte) { return byte == kPathSeparator || byte == '/'; }

// Turns a path held as code page 936 bytes into the native path that every
// file or directory call below takes: UTF-8, which on Linux is the file
// system's own encoding and on Windows reaches the system as UTF-16, so no
// character is lost on the way to the disk.
[[nodiscard]] std::string NativePath(std::string_view cp936_path);

// Replaces the file at `native_path` with the concatenation of `parts`.
// The bytes go to a private temporary file in the same directory, which is
// renamed over the target only after every byte was written and the file was
// closed; on any failure the temporary file is removed, the target keeps its
// earlier content (or stays absent) and the result is false. No directory is
// created; an empty path gives false.
[[nodiscard]] bool ReplaceFileAtomically(const std::string& native_path, std::span<const std::string_view> parts);

// The first `max_bytes` bytes of the file `native_path` (all of it when it is
// shorter); empty when it cannot be opened or read.
[[nodiscard]] std::string ReadFileStart(const std::string& native_path, size_t max_bytes);

// True when `native_path` names an existing directory.
[[nodiscard]] bool IsDirectory(const std::string& native_path);

// True when `native_path` names anything that exists.
[[nodiscard]] bool PathExists(const std::string& native_path);

// Removes the file `native_path`; true when it is gone afterwards.
bool RemoveFile(const std::string& native_path);

// Removes the directory `native_path` if it is empty; true when it was
// removed.
bool RemoveEmptyDirectory(const std::string& native_path);

// Creates the one directory `native_path` (its parent must exist). True when
// it was created or already was a directory.
[[nodiscard]] bool MakeDirectory(const std::string& native_path);

}  // namespace qimbra::platform
