#pragma once

#include "collect/run_settings.h"

namespace qimbra {

class MainWindow;

// Makes every click of the window's 按钮_采集 start one more collection run
// with `settings` on a thread of its own, talking to the shell and reporting
// to the window's progress line. The program binds BuildTimeSettings(); tests
// bind loopback galleries and short pauses.
void ConnectStartButton(MainWindow& window, const RunSettings& settings);

}  // namespace qimbra
