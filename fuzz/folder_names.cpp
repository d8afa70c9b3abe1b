// Folder names made from entry titles: whatever the title, the name never
// holds a path separator, is never "." or "..", and fits the 255 bytes one
// name may have in its file-system form. A name that came out of it comes out
// unchanged a second time.
#include "collect/folder_names.h"

#include <string>

#include "fuzz/fuzz_checks.h"
#include "platform/files.h"

using namespace qimbra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const Text title(std::string_view(reinterpret_cast<const char*>(bytes), size));
    const Text name = FolderNameOfTitle(title);
    const std::string native = platform::NativePath(name.view());
    QIMBRA_REQUIRE(native.find('/') == std::string::npos);
    QIMBRA_REQUIRE(native.find(platform::kPathSeparator) == std::string::npos);
    QIMBRA_REQUIRE(native.find('\0') == std::string::npos);
    QIMBRA_REQUIRE(native != "." && native != "..");
    QIMBRA_REQUIRE(name.view() != "." && name.view() != "..");
    QIMBRA_REQUIRE(native.size() <= 255);
    QIMBRA_REQUIRE(FolderNameOfTitle(name) == name);
    // A title that is already a good name is kept as it is.
    if (!title.empty() && native.size() < 200 && title.view().find('/') == std::string_view::npos &&
        title.view() != "." && title.view() != "..") {
        QIMBRA_REQUIRE(name == title);
    }
    return 0;
}
