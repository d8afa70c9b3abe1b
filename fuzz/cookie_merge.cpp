// MergeCookies against the step-by-step merge, and the properties its callers
// rely on: both variables rewritten, the result in the old one, and on texts
// without two-byte characters the merged pieces as described: the new pieces
// first, then the old ones whose names were not set yet, none ending in
// "=deleted", none twice.
#include "web/cookie_merge.h"

#include <string>
#include <unordered_set>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "values/text_ops.h"
#include "web/tests/cookie_merge_reference.h"

using namespace qimbra;

namespace {

std::vector<std::string> Pieces(const Text& text) {
    std::vector<std::string> out;
    for (const Text& piece : SplitText(text, Text("; "))) out.push_back(piece.bytes());
    return out;
}

bool EndsWithDeleted(const std::string& piece) {
    return piece.size() >= 8 && piece.compare(piece.size() - 8, 8, "=deleted") == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    const Text old_text = fuzz::TakeText(data, size);
    const Text new_text = Text(data.ConsumeRemainingBytesAsString());

    Text old_fast = old_text, new_fast = new_text, old_plain = old_text, new_plain = new_text;
    const Text merged = MergeCookies(old_fast, new_fast);
    QIMBRA_REQUIRE(merged == reference::MergeCookies(old_plain, new_plain));
    QIMBRA_REQUIRE(old_fast == merged);
    QIMBRA_REQUIRE(new_fast == new_plain);
    QIMBRA_REQUIRE(JoinDistinct(old_text, Text("; ")) == reference::JoinDistinct(old_text, Text("; ")));

    if (!fuzz::IsAscii(old_text) || !fuzz::IsAscii(new_text)) return 0;
    // Built from the description, with sets.
    std::vector<std::string> expected;
    std::unordered_set<std::string> names;
    const std::vector<std::string> fresh = Pieces(new_fast);
    for (const std::string& piece : fresh) names.insert(CookieName(Text(piece)).bytes());
    std::vector<std::string> all = fresh;
    std::string old_tidy = TrimText(old_text).bytes();
    if (old_tidy.ends_with(";")) old_tidy += " ";
    for (const std::string& piece : Pieces(Text(old_tidy))) {
        if (names.insert(CookieName(Text(piece)).bytes()).second) all.push_back(piece);
    }
    std::unordered_set<std::string> seen;
    for (const std::string& piece : all) {
        if (EndsWithDeleted(piece) || !seen.insert(piece).second) continue;
        expected.push_back(piece);
    }
    // An empty last piece leaves only a separator at the end, which splits
    // into nothing.
    if (!expected.empty() && expected.back().empty()) expected.pop_back();
    QIMBRA_REQUIRE(Pieces(merged) == expected);
    return 0;
}
