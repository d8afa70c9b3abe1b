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

// The program from start to end: initialises the window layer, registers
// OnProgramExit, runs the (empty) start-up step, creates and shows the main
// window and runs the event loop until that window is closed. Then the exit
// handler runs and the process ends at once with exit code 0: worker threads
// still running end with it, nothing waits for them and no teardown runs
// under them.
[[noreturn]] void RunProgram(int& argc, char** argv, const ProgramHooks& hooks = {});

}  // namespace qimbra
