// The Qt shell: the program's start and end, the main window, the folder
// browser, the timed notice with its owner search, and SaveDirectory.
#pragma once

#include "app/find_process_window.h"
#include "app/folder_browser.h"
#include "app/main_window.h"
#include "app/notice_box.h"
#include "app/program.h"
#include "app/progress_board.h"
#include "app/qt_text.h"
#include "app/save_directory.h"
#include "app/shell_run_host.h"
#include "app/start_button.h"
#include "app/timed_notice.h"
