#pragma once

#include <memory>

#include "collect/run_host.h"
#include "collect/run_settings.h"

namespace qimbra {

// One whole collection run, start to end, on the calling thread: reads the
// save-folder box into the save directory (an empty box shows the missing
// folder notice and ends the run), fetches the archive page, and for every
// entry on it fetches the entry page, makes the entry's folder under the save
// directory as it is at that moment and saves every image listed there as
// 1.jpeg, 2.jpeg, ... Requests go one at a time, without retries, paced by
// `settings.pause_ms` before every entry page and after every image. Every
// run ends with the done notice. Failures are silent: a failed request gives
// an empty body, which the run uses like any other.
void RunCollection(const RunSettings& settings, RunHost& host);

// Starts RunCollection on a new thread that nothing waits for and returns at
// once; every call starts one more run. The thread keeps `host` alive.
void OnStartClicked(const RunSettings& settings, std::shared_ptr<RunHost> host);

}  // namespace qimbra
