#pragma once

#include <functional>

#include "app/program_exit.h"

namespace qimbra {

class MainWindow;

// Test seams into the real start and end; the program itself sets none.
struct ProgramHooks {
    // Runs on the window thread once the main window is shown.
    std::function<void(MainWindow&)> window_shown;
    // Runs on the window thread after the exit handler, right before the
    // process ends.
    std::function<void()> ending;
};

// The program from start to end: sets up COM and the common controls, hands
// the window thread's pump and the fatal error's box to the platform layer,
// registers OnProgramExit, creates and shows the main window and runs the
// message loop until that window is closed. Then the exit handler runs and
// the process ends at once with exit code 0 (see EndProcess).
[[noreturn]] void RunProgram(const ProgramHooks& hooks = {});

}  // namespace qimbra
