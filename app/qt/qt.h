// The Qt shell: the program's start and end, the main window that draws the
// window's logic, the failure list, the folder browser and the timed notice
// with its owner search.
#pragma once

#include "app/qt/failure_list.h"
#include "app/qt/find_process_window.h"
#include "app/qt/folder_browser.h"
#include "app/qt/folder_opener.h"
#include "app/qt/main_window.h"
#include "app/qt/notice_box.h"
#include "app/qt/program.h"
#include "app/qt/qt_text.h"
#include "app/qt/start_button.h"
#include "app/qt/timed_notice.h"
#include "app/qt/translations.h"
