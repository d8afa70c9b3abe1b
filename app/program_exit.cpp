#include "app/program_exit.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/save_directory.h"
#include "values/text.h"

namespace qimbra {

namespace {

void (*g_exit_handler)() = nullptr;

}  // namespace

void RegisterExitHandler(void (*handler)()) {
    if (g_exit_handler == nullptr) {
        g_exit_handler = handler;
    }
}

void RunExitHandler() {
    if (g_exit_handler != nullptr) {
        g_exit_handler();
    }
}

void OnProgramExit() { SetSaveDirectory(Text()); }

void EndProcess(int exit_code) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(exit_code);
}

}  // namespace qimbra
