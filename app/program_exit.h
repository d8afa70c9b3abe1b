#pragma once

namespace qimbra {

// Remembers `handler` as the routine the program's end calls, on the window
// thread after the event loop. Only the first registration counts.
void RegisterExitHandler(void (*handler)());

// Runs the registered exit handler, if any.
void RunExitHandler();

// The exit handler: releases SaveDirectory.
void OnProgramExit();

// Flushes the standard streams and ends the process at once with
// `exit_code`: worker threads still running end with it, nothing waits for
// them and no teardown runs under them.
[[noreturn]] void EndProcess(int exit_code);

}  // namespace qimbra
