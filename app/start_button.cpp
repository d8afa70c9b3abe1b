#include "app/start_button.h"

#include <memory>

#include "app/main_window.h"
#include "app/shell_run_host.h"
#include "collect/run_collection.h"

namespace qimbra {

void ConnectStartButton(MainWindow& window, const RunSettings& settings) {
    window.SetStartHandler([settings, board = window.progress_board()] {
        OnStartClicked(settings, std::make_shared<ShellRunHost>(board));
    });
}

}  // namespace qimbra
