// Text and pattern helpers: cutting texts between markers, the pattern
// matcher, code-page conversion, the event-processing pause and directory
// creation.
#pragma once

#include "textkit/code_page.h"
#include "textkit/ensure_directory.h"
#include "textkit/pattern_matcher.h"
#include "textkit/pause.h"
#include "textkit/text_slicing.h"
