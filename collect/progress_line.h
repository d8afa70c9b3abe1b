#pragma once

#include "collect/run_host.h"
#include "values/text.h"

namespace qimbra {

// The progress line's text for a run's report, in code page 936. While the
// run goes: "第 3/20 组 · 第 5/18 张 · 失败 1" (entry of entries, image of the
// entry's images, image responses that were no success so far). Once it has
// finished: "完成：20 组，352 张，失败 3" (entries, image files written,
// failures).
[[nodiscard]] Text ProgressLine(const RunProgress& progress);

}  // namespace qimbra
