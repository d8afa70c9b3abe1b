#include "web/encode_base64.h"

#include <gtest/gtest.h>

#include "web/tests/print_text.h"

namespace qimbra {
namespace {

TEST(EncodeBase64, Rfc4648Vectors) {
    struct Case {
        std::string_view in;
        const char* out;
    };
    const Case kCases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {{"\xff\xfe\x00", 3}, "//4A"},
        {"u:p", "dTpw"},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.out);
        EXPECT_EQ(EncodeBase64(Bytes(c.in)), Text(c.out));
    }
}

}  // namespace
}  // namespace qimbra
