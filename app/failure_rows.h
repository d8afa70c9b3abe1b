#pragma once

#include <array>
#include <vector>

#include "collect/run_failure.h"
#include "values/text.h"

namespace qimbra {

// The failure list's columns: entry title, image number, address, reason.
inline constexpr int kFailureColumns = 4;
using FailureRow = std::array<Text, kFailureColumns>;

// The column headers: "组", "图片", "地址", "原因".
[[nodiscard]] const FailureRow& FailureHeaders();

// One failure as the list shows it; the image number is "组页面" for the
// entry page itself.
[[nodiscard]] FailureRow FailureRowOf(const RunFailure& failure);

// The whole list as text to copy: the headers, then one line per failure,
// the columns separated by tabs, every line ending in "\n".
[[nodiscard]] Text FailureListText(const std::vector<RunFailure>& failures);

}  // namespace qimbra
