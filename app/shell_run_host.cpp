#include "app/shell_run_host.h"

#include "app/save_directory.h"
#include "app/timed_notice.h"

namespace qimbra {

Text ShellRunHost::ReadSaveFolderBox() { return qimbra::ReadSaveFolderBox(); }

void ShellRunHost::StoreSaveDirectory(const Text& directory) { SetSaveDirectory(directory); }

Text ShellRunHost::ReadSaveDirectory() { return SaveDirectory(); }

int32_t ShellRunHost::ShowNotice(const Text& message) { return TimedNotice(message); }

}  // namespace qimbra
