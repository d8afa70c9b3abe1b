#include "app/qt/start_button.h"

#include "app/qt/main_window.h"

namespace qimbra {

void ConnectStartButton(MainWindow& window, const RunSettings& settings) { window.logic().SetRunSettings(settings); }

}  // namespace qimbra
