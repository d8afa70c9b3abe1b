#include "collect/progress_line.h"

#include <string>

#include "values/literal.h"

namespace qimbra {

Text ProgressLine(const RunProgress& progress) {
    static const Text kEntryWord = Cp936("第 ");
    static const Text kEntryUnit = Cp936(" 组 · 第 ");
    static const Text kImageUnit = Cp936(" 张 · 失败 ");
    static const Text kDone = Cp936("完成：");
    static const Text kEntries = Cp936(" 组，");
    static const Text kImages = Cp936(" 张，失败 ");
    const auto number = [](int32_t value) { return std::to_string(value); };

    std::string line;
    if (progress.finished) {
        line = kDone.bytes() + number(progress.entry_count) + kEntries.bytes() + number(progress.images_saved) +
               kImages.bytes() + number(progress.images_failed);
    } else {
        line = kEntryWord.bytes() + number(progress.entry_index) + "/" + number(progress.entry_count) +
               kEntryUnit.bytes() + number(progress.image_index) + "/" + number(progress.image_count) +
               kImageUnit.bytes() + number(progress.images_failed);
    }
    return Text(line);
}

}  // namespace qimbra
