// The edges of the code page 936 table, where Wine's copy differs from the
// one Windows and ICU share; the Windows build's tests run under Wine.
#include <gtest/gtest.h>

#include "platform/encoding.h"

namespace qimbra::platform {
namespace {

TEST(EncodingTable, KeepsTheWindowsMappings) {
    // FF is a private-use character, not an invalid byte.
    EXPECT_EQ(Cp936ToUtf16("\x81 \xFF\x81\x40"), u"\xFFFD \xF8F5\x4E02");
    EXPECT_EQ(Utf16ToCp936(u"\xF8F5"), "\xFF");
}

}  // namespace
}  // namespace qimbra::platform
