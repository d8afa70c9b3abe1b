#include "demo/gallery_site.h"

namespace qimbra::demo {

const std::vector<DemoEntry>& DemoEntries() {
    static const std::vector<DemoEntry> entries = {
        {"posts/1.html", "春日花园", 4, 110},  {"posts/2.html", "雨后的西湖", 5, 190},
        {"posts/3.html", "秋叶与长城", 3, 30}, {"posts/4.html", "雪夜灯笼", 4, 350},
        {"posts/5.html", "海边日落", 6, 20},
    };
    return entries;
}

std::string ArchivePage() {
    std::string page =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>演示图库 · 文章归档</title></head>\n<body>\n"
        "<h1>文章归档</h1>\n<p class=tools><a class=toggle href=#>全部展开/收缩</a></p>\n<ul class=archive>\n";
    for (const DemoEntry& entry : DemoEntries()) {
        page += "<li><a href=" + entry.link + ">" + entry.title + "</a></li>\n";
    }
    page += "</ul>\n<div id=post-action class=actions><a href=/>首页</a></div>\n</body></html>\n";
    return page;
}

std::string EntryPage(int entry_number, const std::string& image_host) {
    const DemoEntry& entry = DemoEntries().at(entry_number - 1);
    std::string page = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + entry.title +
                       "</title></head>\n<body>\n<h1>" + entry.title + "</h1>\n";
    for (int number = 1; number <= entry.image_count; ++number) {
        page += "<p><img src=\"https://" + image_host + ImagePath(entry_number, number) + "\" alt=\"" + entry.title +
                " " + std::to_string(number) + "\"></p>\n";
    }
    page += "<div id=post-action class=actions><a href=/archives.html>返回归档</a></div>\n</body></html>\n";
    return page;
}

std::string ImagePath(int entry_number, int number) {
    return "/image/2024/" + std::to_string(entry_number) + "-" + std::to_string(number) + ".jpeg";
}

std::optional<int> EntryNumberOfPath(const std::string& path) {
    int entry_number = 1;
    for (const DemoEntry& entry : DemoEntries()) {
        if (path == "/" + entry.link) return entry_number;
        ++entry_number;
    }
    return std::nullopt;
}

}  // namespace qimbra::demo
