#pragma once

#include <chrono>

#include "collect/run_host.h"
#include "values/text.h"

namespace qimbra {

// The progress line's text for a run's report at the time `now`, in code
// page 936.
// While the run goes: "第 3/20 组「春日花园」· 第 5/18 张 · 失败 1" (entry of
// entries with its title cut to 8 characters, image of the entry's images,
// entries and images failed so far); before the entries are known
// "正在读取归档页". Once a request has been going for 2 s or more, the image
// part says "等待服务器响应… 12 秒"; while the server asked for a wait,
// "服务器要求等待 30 秒".
// Once it has finished: "完成：20 组（失败 1），352 张（已有 300），失败 3"
// (entries with those failed, images written with those kept from before,
// images failed; the parts in brackets only when not 0); a stopped run
// "已停止：第 3/20 组，40 张，失败 1"; a run that could not go through its
// entries shows its notice.
[[nodiscard]] Text ProgressLine(const RunProgress& progress,
                                RunProgress::Clock::time_point now = RunProgress::Clock::now());

// How long a request may go before the line says that the run waits for it.
inline constexpr std::chrono::seconds kWaitingShownAfter{2};

// `title` cut to `characters` characters (a two-byte character counts once),
// the last one replaced by "…" when it was longer.
[[nodiscard]] Text CutTitle(const Text& title, int characters);

}  // namespace qimbra
