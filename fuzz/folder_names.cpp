// Folder names made from entry titles: whatever the title, the name never
// holds a path separator, is never "." or "..", and fits the 255 bytes one
// name may have in its file-system form. A name that came out of it comes out
// unchanged a second time. A run's entry folders (the input read as lines of
// link and title, alternately) keep those rules, are never empty, and differ
// exactly when their links differ.
#include "collect/folder_names.h"

#include <map>
#include <set>
#include <string>

#include "fuzz/fuzz_checks.h"
#include "platform/files.h"

using namespace qimbra;

namespace {

// The rules every folder name keeps, whatever it was made from.
std::string RequireGoodName(const Text& name) {
    std::string native = platform::NativePath(name.view());
    QIMBRA_REQUIRE(native.find('/') == std::string::npos);
    QIMBRA_REQUIRE(native.find(platform::kPathSeparator) == std::string::npos);
    QIMBRA_REQUIRE(native.find('\0') == std::string::npos);
    QIMBRA_REQUIRE(native != "." && native != "..");
    QIMBRA_REQUIRE(name.view() != "." && name.view() != "..");
    QIMBRA_REQUIRE(native.size() <= 255);
    return native;
}

void CheckEntryFolders(std::string_view input) {
    EntryFolderNames names;
    std::map<std::string, std::string> by_link;  // link -> native name
    std::set<std::string> taken;
    while (!input.empty()) {
        const size_t link_end = std::min(input.find('\n'), input.size());
        // As the run sees it: a Text ends at a zero byte.
        const std::string link = Text(input.substr(0, link_end)).bytes();
        input.remove_prefix(std::min(link_end + 1, input.size()));
        const size_t title_end = std::min(input.find('\n'), input.size());
        const Text title(input.substr(0, title_end));
        input.remove_prefix(std::min(title_end + 1, input.size()));

        const Text name = names.NameFor(Text(link), title);
        QIMBRA_REQUIRE(!name.empty());
        const std::string native = RequireGoodName(name);
        if (const auto known = by_link.find(link); known != by_link.end()) {
            QIMBRA_REQUIRE(known->second == native);
        } else {
            QIMBRA_REQUIRE(taken.insert(native).second);
            by_link.emplace(link, native);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const Text title(std::string_view(reinterpret_cast<const char*>(bytes), size));
    const Text name = FolderNameOfTitle(title);
    const std::string native = RequireGoodName(name);
    QIMBRA_REQUIRE(FolderNameOfTitle(name) == name);
    // A title that is already a good name is kept as it is.
    if (!title.empty() && native.size() < 200 && title.view().find('/') == std::string_view::npos &&
        title.view() != "." && title.view() != "..") {
        QIMBRA_REQUIRE(name == title);
    }
    CheckEntryFolders(title.view());
    return 0;
}
