#include "collect/header_templates.h"

#include <initializer_list>
#include <string>

#include "collect/site_texts.h"
#include "values/literal.h"

namespace qimbra {

namespace {

constexpr const char* kUserAgent =
    "Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/78.0.3904.108 "
    "Safari/537.36";
constexpr const char* kImageAccept = "image/webp,image/apng,image/*,*/*;q=0.8";
constexpr const char* kPageAccept =
    "text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,image/apng,*/*;q=0.8,application/"
    "signed-exchange;v=b3";
constexpr const char* kAcceptLanguage = "zh-CN,zh;q=0.9";

struct Line {
    const char* name;
    Text value;  // already code page 936
};

// Joins "name: value" lines with CR LF, none after the last.
Text JoinLines(std::initializer_list<Line> lines) {
    std::string block;
    for (const Line& line : lines) {
        if (!block.empty()) block += "\r\n";
        block += Cp936(line.name).bytes();
        block += ": ";
        block += line.value.bytes();
    }
    return Text(block);
}

}  // namespace

Text ArchiveHeaderTemplate(const RunSettings& settings) {
    return JoinLines({
        {"Host", settings.page_host},
        {"Connection", Cp936("keep-alive")},
        {"User-Agent", Cp936(kUserAgent)},
        {"Accept", Cp936(kImageAccept)},
        {"Sec-Fetch-Site", Cp936("same-site")},
        {"Sec-Fetch-Mode", Cp936("no-cors")},
        {"Referer", ArchiveAddress(settings)},
        {"Accept-Language", Cp936(kAcceptLanguage)},
    });
}

Text EntryHeaderTemplate(const RunSettings& settings) {
    return JoinLines({
        {"Host", settings.page_host},
        {"Connection", Cp936("keep-alive")},
        {"Upgrade-Insecure-Requests", Cp936("1")},
        {"User-Agent", Cp936(kUserAgent)},
        {"Sec-Fetch-User", Cp936("?1")},
        {"Accept", Cp936(kPageAccept)},
        {"Sec-Fetch-Site", Cp936("same-origin")},
        {"Sec-Fetch-Mode", Cp936("navigate")},
        {"Accept-Language", Cp936(kAcceptLanguage)},
    });
}

Text ImageHeaderTemplate(const RunSettings& settings) {
    return JoinLines({
        {"Host", settings.image_host},
        {"Connection", Cp936("keep-alive")},
        {"User-Agent", Cp936(kUserAgent)},
        {"Accept", Cp936(kImageAccept)},
        {"Sec-Fetch-Site", Cp936("same-site")},
        {"Sec-Fetch-Mode", Cp936("no-cors")},
        {"Referer", EntryAddress(settings, RefererPlaceholder())},
        {"Accept-Language", Cp936(kAcceptLanguage)},
    });
}

}  // namespace qimbra
