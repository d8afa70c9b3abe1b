// The window's logic, which knows no toolkit: what a click does, the box
// rules, the progress line, the failure list, the runs it starts, and
// SaveDirectory. The shells in app/qt (and others) only draw it.
#pragma once

#include "app/failure_rows.h"
#include "app/program_exit.h"
#include "app/progress_board.h"
#include "app/save_directory.h"
#include "app/save_folder_box.h"
#include "app/window_layout.h"
#include "app/window_logic.h"
#include "app/window_run_host.h"
