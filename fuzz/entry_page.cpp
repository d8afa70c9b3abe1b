// A page as the run parses it: UTF-8 bytes converted to code page 936, the
// entry list cut out between its markers, the entry pattern matched over it,
// every entry's title made a folder name, and the image addresses collected
// with the run's markers and a length limit, as from an entry page.
#include <string>

#include "collect/folder_names.h"
#include "collect/run_settings.h"
#include "collect/site_texts.h"
#include "fuzz/fuzz_checks.h"
#include "platform/files.h"
#include "textkit/code_page.h"
#include "textkit/pattern_matcher.h"
#include "textkit/tests/plain_slicing.h"
#include "textkit/text_slicing.h"
#include "values/conversions.h"
#include "values/text_ops.h"

using namespace qimbra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const Bytes body(std::string_view(reinterpret_cast<const char*>(bytes), size));
    const Text page = Utf8ToGbk(ToText(body));

    const Text list = TextBetween(page, EntryListStartMarker(), EntryListEndMarker());
    PatternMatcher matcher;
    if (matcher.Create(EntryPattern(), list)) {
        const int32_t count = matcher.MatchCount();
        QIMBRA_REQUIRE(count >= 0);
        QIMBRA_REQUIRE(count == 0 || matcher.SubMatchCount() == 2);
        for (int32_t i = 1; i <= count; ++i) {
            const Text link = matcher.SubMatchText(i, 1);
            const Text title = matcher.SubMatchText(i, 2);
            QIMBRA_REQUIRE(FindText(list, link) != -1 || link.empty() || !fuzz::IsAscii(list));
            const Text name = FolderNameOfTitle(title);
            const std::string native = platform::NativePath(name.view());
            QIMBRA_REQUIRE(native.find('/') == std::string::npos);
            QIMBRA_REQUIRE(native != "." && native != "..");
            QIMBRA_REQUIRE(native.size() <= 255);
        }
    }

    static const RunSettings settings = BuildTimeSettings();
    static const Text start = ImageAddressStart(settings);
    TextArray addresses;
    TextArray plain;
    const int32_t found = TextBetweenAll(page, start, ImageExtension(), addresses, std::nullopt, 2048, std::nullopt,
                                         std::nullopt, true, true);
    QIMBRA_REQUIRE(found == reference::TextBetweenAll(page, start, ImageExtension(), plain, std::nullopt, 2048,
                                                      std::nullopt, std::nullopt, true, true, std::nullopt));
    QIMBRA_REQUIRE(addresses == plain);
    for (const Text& address : addresses) QIMBRA_REQUIRE(address.size() < 2048);
    return 0;
}
