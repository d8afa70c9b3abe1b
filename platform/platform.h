// Our small stand-ins for the operating-system services the program needs:
// code-page conversion, native file names and file writing, the clock, the
// per-thread event queue and its window pump hook, thread start and the fatal
// run-time error. Everything here lives in namespace qimbra::platform.
#pragma once

#include "platform/clock.h"
#include "platform/encoding.h"
#include "platform/event_queue.h"
#include "platform/fatal.h"
#include "platform/files.h"
#include "platform/thread.h"
