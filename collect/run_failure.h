#pragma once

#include <cstdint>

#include "values/text.h"

namespace qimbra {

// One thing a run could not get or keep: an entry page that failed (image
// number 0) or one image of an entry.
struct RunFailure {
    Text entry_title;          // as the archive page lists it (code page 936)
    int32_t image_number = 0;  // 1-based within the entry; 0 for the entry page itself
    Text address;              // the address that was asked for
    Text reason;               // a short text, see failure_reasons.h

    friend bool operator==(const RunFailure&, const RunFailure&) = default;
};

}  // namespace qimbra
