#include "collect/site_texts.h"

#include "values/literal.h"
#include "values/value_ops.h"

namespace qimbra {

namespace {

const Text& Https() {
    static const Text text = Cp936("https://");
    return text;
}

}  // namespace

Text ArchiveAddress(const RunSettings& settings) {
    return ConcatText(Https(), settings.page_host, Cp936("/archives.html"));
}

Text EntryAddress(const RunSettings& settings, const Text& entry_link) {
    return ConcatText(Https(), settings.page_host, Cp936("/"), entry_link);
}

Text ImageAddressStart(const RunSettings& settings) {
    return ConcatText(Https(), settings.image_host, Cp936("/image/"));
}

const Text& EntryListStartMarker() {
    static const Text text = Cp936("全部展开/收缩");
    return text;
}

const Text& EntryListEndMarker() {
    static const Text text = Cp936("<div id=post-action clas");
    return text;
}

const Text& EntryPattern() {
    static const Text text = Cp936("href=(.*?)>(.*?)</a></");
    return text;
}

const Text& ImageExtension() {
    static const Text text = Cp936(".jpeg");
    return text;
}

const Text& RefererPlaceholder() {
    static const Text text = Cp936("后缀");
    return text;
}

const Text& NoFolderNotice() {
    static const Text text = Cp936("请获取保存目录");
    return text;
}

const Text& DoneNotice() {
    static const Text text = Cp936("采集完成");
    return text;
}

}  // namespace qimbra
