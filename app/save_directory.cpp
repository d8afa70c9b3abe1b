#include "app/save_directory.h"

#include <mutex>
#include <utility>

namespace qimbra {

namespace {

// A Text guarded by its own lock; reads and writes copy under the lock.
class GuardedText {
  public:
    Text Read() {
        std::lock_guard lock(mutex_);
        return value_;
    }
    void Write(const Text& value) {
        Text replacement = value;  // copied outside the lock
        std::lock_guard lock(mutex_);
        std::swap(value_, replacement);
        // The earlier value is released when `replacement` goes, after the
        // lock: nobody can be reading it any more.
    }

  private:
    std::mutex mutex_;
    Text value_;
};

// Never destroyed: a worker thread still running while the process ends must
// not find the lock torn down under it.
GuardedText& SaveDirectoryValue() {
    static auto* value = new GuardedText;
    return *value;
}

GuardedText& SaveFolderBoxValue() {
    static auto* value = new GuardedText;
    return *value;
}

}  // namespace

Text SaveDirectory() { return SaveDirectoryValue().Read(); }
void SetSaveDirectory(const Text& folder) { SaveDirectoryValue().Write(folder); }

Text ReadSaveFolderBox() { return SaveFolderBoxValue().Read(); }
void StoreSaveFolderBox(const Text& text) { SaveFolderBoxValue().Write(text); }

}  // namespace qimbra
