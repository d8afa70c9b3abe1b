#include "collect/progress_line.h"

#include <string>

#include "values/literal.h"

namespace qimbra {

namespace {

constexpr int kTitleCharacters = 8;

std::string Number(int64_t value) { return std::to_string(value); }

std::string Words(const char* utf8) { return Cp936(utf8).bytes(); }

std::string SecondsPart(const char* utf8_words, int64_t seconds) {
    return Words(utf8_words) + Number(seconds) + Words(" 秒");
}

std::string FinishedLine(const RunProgress& progress) {
    if (!progress.problem.empty()) return progress.problem.bytes();
    if (progress.stopped) {
        return Words("已停止：第 ") + Number(progress.entry_index) + "/" + Number(progress.entry_count) +
               Words(" 组，") + Number(progress.images_saved) + Words(" 张，失败 ") +
               Number(progress.entries_failed + progress.images_failed);
    }
    std::string line = Words("完成：") + Number(progress.entry_count) + Words(" 组");
    if (progress.entries_failed > 0) line += Words("（失败 ") + Number(progress.entries_failed) + Words("）");
    line += Words("，") + Number(progress.images_saved) + Words(" 张");
    if (progress.images_existing > 0) line += Words("（已有 ") + Number(progress.images_existing) + Words("）");
    return line + Words("，失败 ") + Number(progress.images_failed);
}

}  // namespace

Text CutTitle(const Text& title, int characters) {
    const std::string& bytes = title.bytes();
    std::string cut;
    int count = 0;
    for (size_t i = 0; i < bytes.size(); ++count) {
        const size_t width = static_cast<unsigned char>(bytes[i]) >= 0x80 && i + 1 < bytes.size() ? 2 : 1;
        if (count == characters - 1) {
            // The last place: the rest if it is one character, else "…".
            return Text(i + width == bytes.size() ? bytes : cut + Words("…"));
        }
        cut.append(bytes, i, width);
        i += width;
    }
    return title;
}

Text ProgressLine(const RunProgress& progress, RunProgress::Clock::time_point now) {
    if (progress.finished) return Text(FinishedLine(progress));

    std::string waiting;
    if (progress.retry_until) {
        const auto left = std::chrono::ceil<std::chrono::seconds>(*progress.retry_until - now).count();
        waiting = SecondsPart("服务器要求等待 ", left > 0 ? left : 0);
    } else if (progress.request_started && now - *progress.request_started >= kWaitingShownAfter) {
        const auto going = std::chrono::floor<std::chrono::seconds>(now - *progress.request_started).count();
        waiting = SecondsPart("等待服务器响应… ", going);
    }
    if (progress.entry_count == 0) return Text(waiting.empty() ? Words("正在读取归档页") : waiting);

    std::string line = Words("第 ") + Number(progress.entry_index) + "/" + Number(progress.entry_count) + Words(" 组");
    if (!progress.entry_title.empty()) {
        line += Words("「") + CutTitle(progress.entry_title, kTitleCharacters).bytes() + Words("」· ");
    } else {
        line += Words(" · ");
    }
    if (!waiting.empty()) return Text(line + waiting);
    return Text(line + Words("第 ") + Number(progress.image_index) + "/" + Number(progress.image_count) +
                Words(" 张 · 失败 ") + Number(progress.entries_failed + progress.images_failed));
}

}  // namespace qimbra
