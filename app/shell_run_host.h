#pragma once

#include <cstdint>

#include "collect/run_host.h"
#include "values/text.h"

namespace qimbra {

// What a collection run gets from the shell, from its worker thread: the
// save-folder box's text as last edited, the shared SaveDirectory, and the
// timed notice with its defaults. Progress reports are ignored.
class ShellRunHost : public RunHost {
  public:
    Text ReadSaveFolderBox() override;
    void StoreSaveDirectory(const Text& directory) override;
    Text ReadSaveDirectory() override;
    int32_t ShowNotice(const Text& message) override;
};

}  // namespace qimbra
