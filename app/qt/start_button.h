#pragma once

#include "collect/run_settings.h"

namespace qimbra {

class MainWindow;

// Gives the window's runs `settings`: from now on a click of 按钮_采集 starts
// a collection run on a thread of its own (or stops the one going), talking
// to the shell and reporting to the window's progress line. The program binds
// BuildTimeSettings(); tests bind loopback galleries and short pauses.
void ConnectStartButton(MainWindow& window, const RunSettings& settings);

}  // namespace qimbra
