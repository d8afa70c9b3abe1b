#include "web/header_lines.h"

#include <gtest/gtest.h>

#include "values/literal.h"
#include "web/tests/print_text.h"

namespace qimbra {
namespace {

TEST(HeaderLines, NameAndValue) {
    struct Case {
        Text line, name, value;
    };
    const Case kCases[] = {
        {Text("Host: a:b"), Text("Host"), Text("a:b")},
        {Text(" host : x"), Text("host"), Text("x")},
        {Text("garbage"), Text(), Text()},
        {Text(":v"), Text(), Text("v")},
        {Text("Name:"), Text("Name"), Text()},
        {Cp936("名字：值 : 1"), Cp936("名字：值"), Text("1")},  // a full-width colon is no colon
        {Cp936("名字: \u3000值\u3000"), Cp936("名字"), Cp936("值")},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.line.bytes());
        EXPECT_EQ(HeaderName(c.line), c.name);
        EXPECT_EQ(HeaderValue(c.line), c.value);
    }
}

TEST(HeaderLines, CapitalizeFirst) {
    EXPECT_EQ(CapitalizeFirst(Text("agent")), Text("Agent"));
    EXPECT_EQ(CapitalizeFirst(Text("Agent")), Text("Agent"));
    EXPECT_EQ(CapitalizeFirst(Text("1a")), Text("1a"));
    EXPECT_EQ(CapitalizeFirst(Text()), Text());
    EXPECT_EQ(CapitalizeFirst(Cp936("中a")), Cp936("中a"));
}

TEST(HeaderLines, NormalizeHeaderNames) {
    struct Case {
        const char* what;
        Text block, normalized;
    };
    const Case kCases[] = {
        {"leading empty line dropped, no CRLF at the end", Text("\r\naccept: */*\r\nuser-agent: x"),
         Text("Accept: */*\r\nUser-Agent: x")},
        {"every word, value untouched", Text("sec-fetch-site: same-site"), Text("Sec-Fetch-Site: same-site")},
        {"nothing lower-cased", Text("CONTENT-TYPE: a"), Text("CONTENT-TYPE: a")},
        {"line without colon", Text("garbage\r\nx: a-b"), Text("X: a-b")},
        {"only garbage", Text("garbage\r\nmore"), Text()},
        {"empty block", Text(), Text()},
        {"blanks kept", Text(" host : x"), Text(" host : x")},
        {"double dash", Text("a--b: 1"), Text("A--B: 1")},
        {"trailing dash", Text("x-: 1"), Text("X-: 1")},
        {"only a dash", Text("-: 1"), Text("-: 1")},
        {"empty name", Text(":v"), Text(":v")},
        {"trailing CRLF and empty lines", Text("a: 1\r\n\r\nb: 2\r\n"), Text("A: 1\r\nB: 2")},
        {"double-byte first character", Cp936("中-a: 1"), Cp936("中-A: 1")},
        // 0x81 0x61 is one character whose second byte looks like "a".
        {"second byte of a character",
         Text("\x81"
              "a-b: 1"),
         Text("\x81"
              "a-B: 1")},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(NormalizeHeaderNames(c.block), c.normalized);
    }
}

}  // namespace
}  // namespace qimbra
