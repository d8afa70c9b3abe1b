#include "textkit/text_slicing.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/event_queue.h"
#include "textkit/tests/plain_slicing.h"
#include "values/literal.h"

namespace qimbra {
namespace {

std::vector<Text> Items(const TextArray& array) { return {array.begin(), array.end()}; }
std::vector<Text> Texts(std::initializer_list<const char*> bytes) {
    std::vector<Text> out;
    for (const char* b : bytes) out.emplace_back(b);
    return out;
}

TEST(TextBetween, Cases) {
    struct Case {
        const char* name;
        Text text, start, end;
        std::optional<int32_t> start_position;
        std::optional<bool> ignore_case;
        Text expected;
    };
    const Case kCases[] = {
        {"quote token in both markers", Text("a\"b\"c"), Cp936("#引号"), Cp936("#引号"), {}, {}, Text("b")},
        {"start marker missing", Text("abc"), Text("x"), Text("c"), {}, {}, Text()},
        {"end marker only in front", Text("xEySz"), Text("S"), Text("E"), {}, {}, Text()},
        {"end marker right behind", Text("aSEb"), Text("S"), Text("E"), {}, {}, Text()},
        {"end searched behind the start marker", Text("abb"), Text("ab"), Text("b"), {}, {}, Text()},
        {"first pair only", Text("S1ES2E"), Text("S"), Text("E"), {}, {}, Text("1")},
        {"start position", Text("S1ES2E"), Text("S"), Text("E"), 2, {}, Text("2")},
        {"start position 0 is 1", Text("S1ES2E"), Text("S"), Text("E"), 0, {}, Text("1")},
        {"exact case by default", Text("xSTARTyEND"), Text("start"), Text("end"), {}, {}, Text()},
        {"ignore case", Text("xSTARTyEND"), Text("start"), Text("end"), {}, true, Text("y")},
        {"double-byte markers",
         Cp936("页头全部展开/收缩<li>条目</li><div id=post-action clas"),
         Cp936("全部展开/收缩"),
         Text("<div id=post-action clas"),
         {},
         {},
         Cp936("<li>条目</li>")},
        {"empty text", Text(), Text("a"), Text("b"), {}, {}, Text()},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextBetween(c.text, c.start, c.end, c.start_position, c.ignore_case), c.expected);
    }
}

TEST(TextLeftOf, Cases) {
    struct Case {
        Text text, separator;
        std::optional<int32_t> start_position;
        std::optional<bool> ignore_case;
        Text expected;
    };
    const Case kCases[] = {
        {Text("Set-Cookie: a=1"), Text(": "), {}, {}, Text("Set-Cookie")},
        {Text("a: b: c"), Text(": "), {}, {}, Text("a")},
        {Text("a: b: c"), Text(": "), 0, {}, Text("a")},
        {Text("a: b: c"), Text(": "), 1, {}, Text("a")},
        {Text("a: b: c"), Text(": "), 3, {}, Text("a: b")},  // always from the first byte
        {Text("a: b: c"), Text(": "), -1, {}, Text("a: b")},
        {Text("a: b: c"), Text(": "), -2, {}, Text("a")},
        {Text("a: b: "), Text(": "), -1, {}, Text("a: b")},
        {Text("a: b: "), Text(": "), -2, {}, Text("a")},
        {Text("a: b"), Text(": "), -4, {}, Text()},
        {Text("a: b"), Text(": "), INT32_MIN, {}, Text()},
        {Text("a: b: c"), Text(": "), 100, {}, Text()},
        {Text("abc"), Text(": "), {}, {}, Text()},
        {Text(": abc"), Text(": "), {}, {}, Text()},
        {Text("aXb"), Text("x"), {}, {}, Text()},
        {Text("aXb"), Text("x"), {}, true, Text("a")},
        {Text("aXbx"), Text("x"), -1, true, Text("aXb")},
        {Cp936("名称：值"), Cp936("："), {}, {}, Cp936("名称")},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.text.bytes() << " / " << c.start_position.value_or(999));
        EXPECT_EQ(TextLeftOf(c.text, c.separator, c.start_position, c.ignore_case), c.expected);
    }
}

struct BetweenAllCase {
    const char* name = "";
    Text text = Text();
    Text start = Text("[a]");
    Text end = Text("[/a]");
    std::optional<bool> ignore_case = std::nullopt;
    std::optional<int32_t> max_length = std::nullopt;
    std::optional<Text> prefix = std::nullopt;
    std::optional<Text> suffix = std::nullopt;
    std::optional<bool> include_start = std::nullopt;
    std::optional<bool> include_end = std::nullopt;
    std::optional<int32_t> start_position = std::nullopt;
    std::vector<Text> expected = {};
};

TEST(TextBetweenAll, Cases) {
    const Text two("[a]1[/a][a]2[/a]");
    const Text short_and_long("[a]1[/a][a]22[/a]");
    const BetweenAllCase kCases[] = {
        {.name = "plain", .text = two, .expected = Texts({"1", "2"})},
        {.name = "both markers included",
         .text = two,
         .include_start = true,
         .include_end = true,
         .expected = Texts({"[a]1[/a]", "[a]2[/a]"})},
        {.name = "prefix and suffix",
         .text = two,
         .prefix = Text("x"),
         .suffix = Text("y"),
         .expected = Texts({"x1y", "x2y"})},
        {.name = "markers outside the prefix",
         .text = two,
         .prefix = Text("x"),
         .include_start = true,
         .include_end = true,
         .expected = Texts({"[a]x1[/a]", "[a]x2[/a]"})},
        {.name = "overlapping pieces",
         .text = Text("S1S2E"),
         .start = Text("S"),
         .end = Text("E"),
         .expected = Texts({"1S2", "2"})},
        {.name = "max length", .text = short_and_long, .max_length = 2, .expected = Texts({"1"})},
        {.name = "max length 0 keeps all", .text = short_and_long, .max_length = 0, .expected = Texts({"1", "22"})},
        {.name = "max length counts the prefix",
         .text = short_and_long,
         .max_length = 3,
         .prefix = Text("x"),
         .expected = Texts({"x1"})},
        {.name = "max length counts the markers",
         .text = short_and_long,
         .max_length = 9,
         .include_start = true,
         .include_end = true,
         .expected = Texts({"[a]1[/a]"})},
        {.name = "start position", .text = two, .start_position = 2, .expected = Texts({"2"})},
        {.name = "exact case by default", .text = Text("[A]1[/A]"), .expected = {}},
        {.name = "ignore case", .text = Text("[A]1[/A]"), .ignore_case = true, .expected = Texts({"1"})},
        {.name = "last end marker missing", .text = Text("[a]1[/a][a]2"), .expected = Texts({"1"})},
        {.name = "nothing found", .text = Text("no markers"), .expected = {}},
        {.name = "empty start marker", .text = two, .start = Text(), .expected = {}},
        // An empty end marker is found at position 1, in front of the piece,
        // which is then empty: only the prefix is measured.
        {.name = "empty end marker", .text = two, .end = Text(), .prefix = Text("xy"), .expected = Texts({"xy", "xy"})},
        {.name = "empty end marker and a max length",
         .text = two,
         .end = Text(),
         .max_length = 2,
         .prefix = Text("xy"),
         .expected = {}},
        {.name = "image addresses",
         .text = Text("<img src=\"https://img.test/image/1.jpeg\"><img src=\"https://img.test/image/22.jpeg\">"),
         .start = Text("https://img.test/image/"),
         .end = Text(".jpeg"),
         .include_start = true,
         .include_end = true,
         .expected = Texts({"https://img.test/image/1.jpeg", "https://img.test/image/22.jpeg"})},
    };
    for (const BetweenAllCase& c : kCases) {
        SCOPED_TRACE(c.name);
        TextArray items;
        AppendText(items, Text("left over"));
        const int32_t count = TextBetweenAll(c.text, c.start, c.end, items, c.ignore_case, c.max_length, c.prefix,
                                             c.suffix, c.include_start, c.include_end, c.start_position);
        EXPECT_EQ(Items(items), c.expected);
        EXPECT_EQ(count, static_cast<int32_t>(c.expected.size()));
    }
}

TEST(TextBetweenAll, ProcessesQueuedEventsOnlyWhenPiecesAreFound) {
    int ran = 0;
    platform::PostTask(std::this_thread::get_id(), [&] { ++ran; });
    TextArray items;
    TextBetweenAll(Text("nothing here"), Text("["), Text("]"), items);
    EXPECT_EQ(ran, 0);
    TextBetweenAll(Text("[1]"), Text("["), Text("]"), items);
    EXPECT_EQ(ran, 1);
}

// A page that repeats the start marker many times in front of one end
// marker: with a length limit only the short pieces near the end come through.
TEST(TextBetweenAll, ManyStartMarkersInFrontOfOneEndMarker) {
    const Text page(std::string(200000, 'S') + "E");
    TextArray items;
    EXPECT_EQ(TextBetweenAll(page, Text("S"), Text("E"), items, std::nullopt, 4), 4);
    EXPECT_EQ(Items(items), Texts({"SSS", "SS", "S", ""}));
    EXPECT_EQ(TextBetweenAll(page, Text("S"), Text("E"), items, std::nullopt, 6, Text("<"), Text(">")), 4);
    EXPECT_EQ(Items(items), Texts({"<SSS>", "<SS>", "<S>", "<>"}));
    const Text addresses(std::string(50000, 'x') + "https://i/image/https://i/image/https://i/image/1.jpeg");
    EXPECT_EQ(TextBetweenAll(addresses, Text("https://i/image/"), Text(".jpeg"), items, std::nullopt, 2048,
                             std::nullopt, std::nullopt, true, true),
              3);
    EXPECT_EQ(Items(items).back(), Text("https://i/image/1.jpeg"));
    // In a run of lead bytes, consecutive start markers begin walks that
    // pair the bytes in the two possible ways, and both kinds find an end.
    const Text run(std::string(5001, '\xB0') + "EE");
    TextArray plain;
    for (const std::optional<int32_t> limit : {std::optional<int32_t>(), std::optional<int32_t>(100)}) {
        SCOPED_TRACE(testing::PrintToString(limit));
        const int32_t count = TextBetweenAll(run, Text("\xB0"), Text("E"), items, std::nullopt, limit);
        EXPECT_EQ(count,
                  reference::TextBetweenAll(run, Text("\xB0"), Text("E"), plain, std::nullopt, limit, std::nullopt,
                                            std::nullopt, std::nullopt, std::nullopt, std::nullopt));
        EXPECT_EQ(Items(items), Items(plain));
    }
}

// The end-marker search reuses earlier answers; it must give what a fresh
// search from behind every start marker gives. Lead bytes matter: a start
// marker may end on the first byte of a character, so that the next search
// starts on a second byte and walks differently.
TEST(TextBetweenAll, AgreesWithThePlainLoopOnRandomTexts) {
    std::mt19937 generator(4242);
    auto number = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(generator); };
    static const char kAlphabet[] = {'S', 'E', 's', 'e', 'x', '\xB0', '\xA1', '\xC1'};
    auto make = [&](size_t length, int width) {
        std::string s;
        while (s.size() < length) {
            const char c = kAlphabet[number(0, width - 1)];
            s.append(static_cast<size_t>(number(0, 3) == 0 ? number(1, 60) : 1), c);
        }
        return s;
    };
    for (int round = 0; round < 3000; ++round) {
        const int width = number(2, sizeof(kAlphabet));
        const Text text(make(static_cast<size_t>(number(0, round % 20 == 0 ? 3000 : 120)), width));
        const Text start(make(static_cast<size_t>(number(1, 3)), width));
        const Text end(make(static_cast<size_t>(number(0, 3)), width));
        const std::optional<bool> fold = number(0, 1) == 1;
        const std::optional<int32_t> limit =
            number(0, 2) == 0 ? std::nullopt : std::optional<int32_t>(number(0, 3) == 0 ? 0 : number(1, 12));
        const std::optional<Text> prefix = number(0, 3) == 0 ? std::optional<Text>(Text("<")) : std::nullopt;
        const std::optional<Text> suffix = number(0, 3) == 0 ? std::optional<Text>(Text(">>")) : std::nullopt;
        const std::optional<bool> opening = number(0, 2) == 0;
        const std::optional<bool> closing = number(0, 2) == 0;
        const std::optional<int32_t> from =
            number(0, 1) == 0 ? std::nullopt : std::optional<int32_t>(number(-1, TextLength(text) + 1));
        SCOPED_TRACE(testing::PrintToString(text.bytes()) + " / " + testing::PrintToString(start.bytes()) + " / " +
                     testing::PrintToString(end.bytes()) + " / " + testing::PrintToString(limit));
        TextArray fast;
        TextArray plain;
        const int32_t count =
            TextBetweenAll(text, start, end, fast, fold, limit, prefix, suffix, opening, closing, from);
        ASSERT_EQ(count, reference::TextBetweenAll(text, start, end, plain, fold, limit, prefix, suffix, opening,
                                                   closing, from));
        ASSERT_EQ(Items(fast), Items(plain));
    }
}

TEST(ReplaceMany, Cases) {
    struct Case {
        Text text;
        std::optional<int32_t> count, start_position;
        std::optional<bool> case_sensitive;
        std::vector<std::pair<Text, Text>> pairs;  // the first is required
        Text expected;
    };
    const Text a("a"), b("b"), c("c"), x("x");
    const Case kCases[] = {
        {Text("ab"), {}, {}, {}, {{a, b}, {b, c}}, Text("cc")},
        {Text("Abc"), {}, {}, {}, {{a, x}}, Text("xbc")},
        {Text("Abc"), {}, {}, true, {{a, x}}, Text("Abc")},
        {Text("Abc"), {}, {}, false, {{a, x}}, Text("xbc")},
        {Text("aaa"), 1, {}, {}, {{a, b}}, Text("baa")},
        {Text("aaa"), 0, {}, {}, {{a, b}}, Text("aaa")},
        {Text("aaa"), -1, {}, {}, {{a, b}}, Text("bbb")},
        {Text("aaa"), {}, 2, {}, {{a, b}}, Text("abb")},
        {Text("aaa"), {}, 0, {}, {{a, b}}, Text("bbb")},
        {Text("abab"), 1, 2, {}, {{a, x}, {b, x}}, Text("axxb")},
        {Text("ab"), {}, {}, {}, {{a, b}, {Text(), x}, {b, c}}, Text("cc")},
        {Text("a"),
         {},
         {},
         {},
         {{a, b}, {b, c}, {c, Text("d")}, {Text("d"), Text("e")}, {Text("e"), Text("f")}},
         Text("f")},
        {Cp936("Referer: https://host/后缀\r\n"),
         {},
         {},
         {},
         {{Cp936("后缀"), Text("entry/1.html")}},
         Text("Referer: https://host/entry/1.html\r\n")},
    };
    for (const Case& k : kCases) {
        SCOPED_TRACE(k.text.bytes());
        std::vector<std::optional<Text>> more(8);
        for (size_t i = 1; i < k.pairs.size(); ++i) {
            more[2 * (i - 1)] = k.pairs[i].first;
            more[2 * (i - 1) + 1] = k.pairs[i].second;
        }
        EXPECT_EQ(ReplaceMany(k.text, k.count, k.start_position, k.case_sensitive, k.pairs[0].first, k.pairs[0].second,
                              more[0], more[1], more[2], more[3], more[4], more[5], more[6], more[7]),
                  k.expected);
    }
}

TEST(ReplaceMany, LeftOutPairsChangeNothing) {
    EXPECT_EQ(ReplaceMany(Text("abc"), std::nullopt, std::nullopt, std::nullopt, Text("b"), Text("B")), Text("aBc"));
    EXPECT_EQ(ReplaceMany(Text("abc"), std::nullopt, std::nullopt, std::nullopt, Text("b"), Text("B"), Text("c"),
                          std::nullopt),
              Text("aB"));
}

}  // namespace
}  // namespace qimbra
