#include "web/cookie_merge.h"

#include <gtest/gtest.h>

#include "values/text_array.h"
#include "web/tests/print_text.h"

namespace qimbra {
namespace {

TEST(MergeCookies, Cases) {
    struct Case {
        const char* old_cookies;
        const char* new_cookies;
        const char* merged;
        const char* new_after;
    };
    const Case kCases[] = {
        {"a=1; b=2", "b=3; c=4", "b=3; c=4; a=1", "b=3; c=4"},
        {"a=1; sid=x", "sid=deleted", "a=1", "sid=deleted"},
        {"", "a=1; b=2; ", "a=1; b=2", "a=1; b=2; "},
        {"a=1;", "", "a=1", ""},
        {"", "a=1; a=1; a=2", "a=1; a=2", "a=1; a=1; a=2"},
        {"x=1; x=2", "", "x=1", ""},
        {"a=1;b=2", "a=5", "a=5", "a=5"},
        {"=DELETED; a=Deleted", "", "=DELETED; a=Deleted", ""},
        {"", "", "", ""},
        {"  a=1  ", " b=2;", "b=2; a=1", "b=2; "},
        {"flag; a=1", "flag", "flag; a=1", "flag"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.old_cookies) + " | " + c.new_cookies);
        Text old_cookies(c.old_cookies);
        Text new_cookies(c.new_cookies);
        EXPECT_EQ(MergeCookies(old_cookies, new_cookies), Text(c.merged));
        EXPECT_EQ(old_cookies, Text(c.merged));
        EXPECT_EQ(new_cookies, Text(c.new_after));
    }
}

TEST(MergeCookies, Helpers) {
    EXPECT_EQ(CookieName(Text(" a =1")), Text("a"));
    EXPECT_EQ(CookieName(Text(" flag ")), Text("flag"));
    EXPECT_EQ(CookieName(Text("=v")), Text());

    TextArray pieces;
    EXPECT_FALSE(HasCookieName(pieces, Text()));
    EXPECT_EQ(IndexOfText(pieces, Text("a=1")), -1);
    AppendText(pieces, Text("a=1"));
    AppendText(pieces, Text("B=2"));
    EXPECT_TRUE(HasCookieName(pieces, Text("B")));
    EXPECT_FALSE(HasCookieName(pieces, Text("b")));
    EXPECT_EQ(IndexOfText(pieces, Text("B=2")), 2);
    EXPECT_EQ(IndexOfText(pieces, Text("B")), -1);

    EXPECT_EQ(JoinDistinct(Text("a; b; a; c; b"), Text("; ")), Text("a; b; c"));
    EXPECT_EQ(JoinDistinct(Text(), Text("; ")), Text());
    EXPECT_EQ(JoinDistinct(Text("x,,x,"), Text(",")), Text("x,"));
}

}  // namespace
}  // namespace qimbra
