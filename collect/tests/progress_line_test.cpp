#include "collect/progress_line.h"

#include <gtest/gtest.h>

#include "values/literal.h"

namespace qimbra {
namespace {

TEST(ProgressLine, DuringAndAfterTheRun) {
    struct Case {
        RunProgress progress;
        const char* line;  // UTF-8
    };
    const Case kCases[] = {
        {{.entry_index = 3,
          .entry_count = 20,
          .image_index = 5,
          .image_count = 18,
          .images_saved = 40,
          .images_failed = 1},
         "第 3/20 组 · 第 5/18 张 · 失败 1"},
        {{.entry_count = 7}, "第 0/7 组 · 第 0/0 张 · 失败 0"},
        {{.entry_index = 20,
          .entry_count = 20,
          .image_index = 18,
          .image_count = 18,
          .images_saved = 352,
          .images_failed = 3,
          .finished = true},
         "完成：20 组，352 张，失败 3"},
        {{.finished = true}, "完成：0 组，0 张，失败 0"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(ProgressLine(c.progress), Cp936(c.line));
    }
}

}  // namespace
}  // namespace qimbra
