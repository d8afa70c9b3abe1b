#pragma once

#include <cstdint>

#include "values/text.h"

namespace qimbra {

// Where a run stands, as it tells its host (see RunHost::ReportProgress).
// Counts are 1-based positions; 0 means "not reached yet".
struct RunProgress {
    int32_t entry_index = 0;    // the entry being worked on
    int32_t entry_count = 0;    // entries found on the archive page
    int32_t image_index = 0;    // the image of the entry last fetched
    int32_t image_count = 0;    // images listed on the current entry page
    int32_t images_saved = 0;   // image files written so far in this run
    int32_t images_failed = 0;  // image responses so far that were no success
    bool finished = false;      // the run has fetched everything it will fetch
};

// What a collection run needs from the program around it: the save-folder
// box, the shared save directory, the notices, and a place to report
// progress. Every call comes from the run's own worker thread; an
// implementation that shares state with other threads guards it itself.
class RunHost {
  public:
    virtual ~RunHost() = default;

    // The current text of the save-folder box (code page 936).
    virtual Text ReadSaveFolderBox() = 0;
    // Replaces the program's save directory.
    virtual void StoreSaveDirectory(const Text& directory) = 0;
    // The program's save directory at this moment, as a copy of its own.
    virtual Text ReadSaveDirectory() = 0;
    // Shows `message` in a self-closing notice and returns once it has
    // closed; the result is the notice's own answer.
    virtual int32_t ShowNotice(const Text& message) = 0;

    // Called as the run moves on: once the entries are known, when each entry
    // starts, after each image and once at the end (with `finished` true).
    // Not called for a run that stops at an empty save-folder box. Must not
    // block for long; the default ignores the reports.
    virtual void ReportProgress(const RunProgress& progress) { (void)progress; }
};

}  // namespace qimbra
