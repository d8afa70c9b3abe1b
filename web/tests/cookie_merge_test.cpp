#include "web/cookie_merge.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "values/text_array.h"
#include "web/tests/cookie_merge_reference.h"
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

// Cookie texts with many pieces from a few names, so that names and whole
// pieces repeat, and with the odd pieces a server may send: no "=", spaces
// around the name, ";" without a space, "=deleted" in either case, a two-byte
// character (also one whose second byte is ";" or "="), a broken one at the
// end, empty pieces.
class RandomCookies {
  public:
    explicit RandomCookies(uint32_t seed) : generator_(seed) {}

    int Number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(generator_); }

    std::string Text(int pieces, int names) {
        static const char* const kOdd[] = {"flag", " sp = 1 ",   "a=1;b=2", "x=deleted", "x=Deleted", "=deleted", "",
                                           ";",    "\xB0\xA1=1", "k=\xB0;", "\xB0=",     "v=\xB0",    "  "};
        std::string s = Number(0, 5) == 0 ? " " : "";
        for (int i = 0; i < pieces; ++i) {
            if (i > 0) s += "; ";
            if (Number(0, 6) == 0) {
                s += kOdd[Number(0, sizeof(kOdd) / sizeof(kOdd[0]) - 1)];
            } else {
                s += "n" + std::to_string(Number(0, names - 1)) + "=" + std::to_string(Number(0, 3));
                if (Number(0, 9) == 0) s += "=deleted";
            }
        }
        switch (Number(0, 5)) {
            case 0:
                s += ";";
                break;
            case 1:
                s += "; ";
                break;
            case 2:
                s += "\xB0";
                break;
            default:
                break;
        }
        return s;
    }

  private:
    std::mt19937 generator_;
};

TEST(MergeCookies, SameAsTheStepByStepMergeOnRandomTexts) {
    RandomCookies random(77);
    for (int round = 0; round < 2000; ++round) {
        const int names = random.Number(1, round % 50 == 0 ? 400 : 12);
        const int count = round % 50 == 0 ? 600 : 20;
        const std::string old_text = random.Text(random.Number(0, count), names);
        const std::string new_text = random.Text(random.Number(0, count), names);
        SCOPED_TRACE(testing::PrintToString(old_text) + " | " + testing::PrintToString(new_text));
        Text old_fast(old_text), new_fast(new_text), old_plain(old_text), new_plain(new_text);
        const Text merged = MergeCookies(old_fast, new_fast);
        ASSERT_EQ(merged, reference::MergeCookies(old_plain, new_plain));
        ASSERT_EQ(old_fast, old_plain);
        ASSERT_EQ(new_fast, new_plain);
        ASSERT_EQ(JoinDistinct(Text(old_text), Text("; ")), reference::JoinDistinct(Text(old_text), Text("; ")));
        ASSERT_EQ(JoinDistinct(Text(new_text), Text(";")), reference::JoinDistinct(Text(new_text), Text(";")));
    }
}

}  // namespace
}  // namespace qimbra
