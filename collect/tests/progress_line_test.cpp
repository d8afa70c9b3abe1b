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

namespace qimbra {
namespace {

TEST(ProgressLine, TitlesWaitsAndEnds) {
    using Clock = RunProgress::Clock;
    using std::chrono::milliseconds;
    const Clock::time_point now = Clock::now();
    const RunProgress going{.entry_index = 3,
                            .entry_count = 20,
                            .entry_title = Cp936("春日花园"),
                            .image_index = 5,
                            .image_count = 18,
                            .entries_failed = 1,
                            .images_failed = 1};
    struct Case {
        const char* name;
        RunProgress progress;
        const char* line;  // UTF-8
    };
    RunProgress long_title = going;
    long_title.entry_title = Cp936("一二三四五六七八九十");
    RunProgress eight = going;
    eight.entry_title = Cp936("一二三四五六七八");
    RunProgress fresh_request = going;
    fresh_request.request_started = now - milliseconds(1900);
    RunProgress slow_request = going;
    slow_request.request_started = now - milliseconds(12400);
    RunProgress slow_archive;
    slow_archive.request_started = now - milliseconds(3000);
    RunProgress told_to_wait = going;
    told_to_wait.retry_until = now + milliseconds(29200);
    RunProgress stopped = going;
    stopped.finished = stopped.stopped = true;
    stopped.images_saved = 40;
    RunProgress resumed{.entry_count = 20,
                        .entries_failed = 1,
                        .images_saved = 52,
                        .images_failed = 3,
                        .images_existing = 300,
                        .finished = true};
    RunProgress problem{.finished = true, .problem = Cp936("无法读取归档页：HTTP 500")};
    const Case kCases[] = {
        {"going", going, "第 3/20 组「春日花园」· 第 5/18 张 · 失败 2"},
        {"long title", long_title, "第 3/20 组「一二三四五六七…」· 第 5/18 张 · 失败 2"},
        {"eight characters stay", eight, "第 3/20 组「一二三四五六七八」· 第 5/18 张 · 失败 2"},
        {"request under 2 s", fresh_request, "第 3/20 组「春日花园」· 第 5/18 张 · 失败 2"},
        {"request over 2 s", slow_request, "第 3/20 组「春日花园」· 等待服务器响应… 12 秒"},
        {"archive not read yet", RunProgress{}, "正在读取归档页"},
        {"slow archive", slow_archive, "等待服务器响应… 3 秒"},
        {"server asked to wait", told_to_wait, "第 3/20 组「春日花园」· 服务器要求等待 30 秒"},
        {"stopped", stopped, "已停止：第 3/20 组，40 张，失败 2"},
        {"finished with failures and kept images", resumed, "完成：20 组（失败 1），52 张（已有 300），失败 3"},
        {"could not start", problem, "无法读取归档页：HTTP 500"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProgressLine(c.progress, now), Cp936(c.line));
    }
}

}  // namespace
}  // namespace qimbra
