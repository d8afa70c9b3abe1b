// The header-line routines on any block: names and values come from the line
// they were cut from, a normalised block keeps only lines with a ":", changes
// nothing but the letter case of names, and normalising twice changes nothing
// more (on blocks without two-byte characters, whose lines split the same way
// every time).
#include "web/header_lines.h"

#include <string>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "values/text_ops.h"

using namespace qimbra;

namespace {

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c | 0x20);
    }
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const Text block(std::string_view(reinterpret_cast<const char*>(bytes), size));
    const Text crlf("\r\n");

    for (const Text& line : SplitText(block, crlf)) {
        const Text name = HeaderName(line);
        const Text value = HeaderValue(line);
        if (FindText(line, Text(":")) == -1) {
            QIMBRA_REQUIRE(name.empty() && value.empty());
        } else {
            QIMBRA_REQUIRE(line.view().find(name.view()) != std::string_view::npos);
            QIMBRA_REQUIRE(line.view().find(value.view()) != std::string_view::npos);
        }
        const Text capital = CapitalizeFirst(line);
        QIMBRA_REQUIRE(capital.size() == line.size());
        QIMBRA_REQUIRE(line.empty() || capital.view().substr(1) == line.view().substr(1));
    }

    const Text normal = NormalizeHeaderNames(block);
    QIMBRA_REQUIRE(normal.size() <= block.size());
    // A lead byte takes the byte after it, even a CR: only without two-byte
    // characters is every CRLF a line break.
    if (!fuzz::IsAscii(block)) return 0;
    QIMBRA_REQUIRE(!normal.view().ends_with("\r\n"));
    std::string kept;
    for (const Text& line : SplitText(block, crlf)) {
        if (line.view().find(':') == std::string_view::npos) continue;
        if (!kept.empty()) kept += "\r\n";
        kept += line.bytes();
    }
    // Lines that hold a ":" only: an empty first line is dropped, so the
    // joined lines start with the first kept line.
    QIMBRA_REQUIRE(Lower(normal.bytes()) == Lower(kept));
    for (const Text& line : SplitText(normal, crlf)) QIMBRA_REQUIRE(line.view().find(':') != std::string_view::npos);
    QIMBRA_REQUIRE(NormalizeHeaderNames(normal) == normal);
    return 0;
}
