#include "collect/site_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "collect/header_templates.h"
#include "collect/run_settings.h"
#include "values/literal.h"

namespace qimbra {
namespace {

const RunSettings kSettings{.page_host = Text("pages.test:8443"), .image_host = Text("img.test"), .pause_ms = 0};

const char kUserAgent[] =
    "User-Agent: Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/78.0.3904.108 Safari/537.36";

TEST(HeaderTemplates, AreTheLinesJoinedByCrLfWithoutATrailingOne) {
    struct Case {
        const char* name;
        Text block;
        std::string utf8;
    };
    const Case kCases[] = {
        {"archive", ArchiveHeaderTemplate(kSettings),
         std::string("Host: pages.test:8443\r\n"
                     "Connection: keep-alive\r\n") +
             kUserAgent +
             "\r\n"
             "Accept: image/webp,image/apng,image/*,*/*;q=0.8\r\n"
             "Sec-Fetch-Site: same-site\r\n"
             "Sec-Fetch-Mode: no-cors\r\n"
             "Referer: https://pages.test:8443/archives.html\r\n"
             "Accept-Language: zh-CN,zh;q=0.9"},
        {"entry", EntryHeaderTemplate(kSettings),
         std::string("Host: pages.test:8443\r\n"
                     "Connection: keep-alive\r\n"
                     "Upgrade-Insecure-Requests: 1\r\n") +
             kUserAgent +
             "\r\n"
             "Sec-Fetch-User: ?1\r\n"
             "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,image/apng,*/*;q=0.8,"
             "application/signed-exchange;v=b3\r\n"
             "Sec-Fetch-Site: same-origin\r\n"
             "Sec-Fetch-Mode: navigate\r\n"
             "Accept-Language: zh-CN,zh;q=0.9"},
        {"image", ImageHeaderTemplate(kSettings),
         std::string("Host: img.test\r\n"
                     "Connection: keep-alive\r\n") +
             kUserAgent +
             "\r\n"
             "Accept: image/webp,image/apng,image/*,*/*;q=0.8\r\n"
             "Sec-Fetch-Site: same-site\r\n"
             "Sec-Fetch-Mode: no-cors\r\n"
             "Referer: https://pages.test:8443/后缀\r\n"
             "Accept-Language: zh-CN,zh;q=0.9"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.block, Cp936(c.utf8));
    }
    // The placeholder is held as code page 936 bytes.
    EXPECT_NE(ImageHeaderTemplate(kSettings).bytes().find("/\xBA\xF3\xD7\xBA\r\n"), std::string::npos);
}

TEST(SiteTexts, AddressesAndMarkers) {
    EXPECT_EQ(ArchiveAddress(kSettings), Text("https://pages.test:8443/archives.html"));
    EXPECT_EQ(EntryAddress(kSettings, Text("a/b.html?x=1")), Text("https://pages.test:8443/a/b.html?x=1"));
    EXPECT_EQ(ImageAddressStart(kSettings), Text("https://img.test/image/"));
    EXPECT_EQ(EntryListStartMarker(), Cp936("全部展开/收缩"));
    EXPECT_EQ(EntryListEndMarker(), Text("<div id=post-action clas"));
    EXPECT_EQ(EntryPattern(), Text("href=(.*?)>(.*?)</a></"));
    EXPECT_EQ(ImageExtension(), Text(".jpeg"));
    EXPECT_EQ(NoFolderNotice(), Cp936("请获取保存目录"));
    EXPECT_EQ(DoneNotice().bytes(), "\xB2\xC9\xBC\xAF\xCD\xEA\xB3\xC9");  // 采集完成
}

TEST(BuildTimeSettings, HoldsTheConfiguredHostsAndHalfASecond) {
    const RunSettings settings = BuildTimeSettings();
    EXPECT_EQ(settings.page_host, Text(QIMBRA_PAGE_HOST_SETTING));
    EXPECT_EQ(settings.image_host, Text(QIMBRA_IMAGE_HOST_SETTING));
    EXPECT_EQ(settings.pause_ms, 500);
}

}  // namespace
}  // namespace qimbra
