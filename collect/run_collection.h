#pragma once

#include <memory>

#include "collect/run_host.h"
#include "collect/run_settings.h"

namespace qimbra {

// One whole collection run, start to end, on the calling thread. It reads the
// save folder from the host once (empty: the missing folder notice, then the
// done notice, and nothing else) and keeps it for the whole run. It makes
// sure a file can be created there before the first request (if not: one
// notice naming the problem and the folder, and no request), fetches the
// archive page (no response, a failed status or no entry list: one notice
// saying why, and nothing written), and for every entry fetches the entry
// page and saves every image listed there as 1.jpeg, 2.jpeg, ... into one
// folder per entry. Only a successful response that holds a picture is
// written; anything else, and a write that fails, is reported as a failure
// and leaves any earlier file as it was. A failed entry page makes no folder.
// Requests go one at a time, paced by `settings.pause_ms` before every entry
// page and after every image. A run that went through its entries ends with
// the done notice; a stopped run (see RunHost::StopFlag) ends without one.
void RunCollection(const RunSettings& settings, RunHost& host);

// Starts RunCollection on a new thread that nothing waits for and returns at
// once; every call starts one more run. The thread keeps `host` alive.
void OnStartClicked(const RunSettings& settings, std::shared_ptr<RunHost> host);

}  // namespace qimbra
