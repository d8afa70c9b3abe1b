#pragma once

#include <string>

namespace qimbra::testing {

// A fresh, uniquely named folder under the system's temporary directory
// ($TMPDIR, else /tmp, on Linux; %TEMP% on Windows) for one test. It and
// everything in it are removed when the object goes away.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's path, without a trailing separator, in UTF-8.
    [[nodiscard]] const std::string& path() const { return path_; }
    // `name` inside the folder.
    [[nodiscard]] std::string Child(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

}  // namespace qimbra::testing
