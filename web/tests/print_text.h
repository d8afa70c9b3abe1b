// Readable test failures: a Text prints as its bytes, escaped where not
// printable ASCII.
#pragma once

#include <cstdio>
#include <ostream>

#include "values/bytes.h"
#include "values/text.h"

namespace qimbra {

inline void PrintEscaped(std::string_view bytes, std::ostream* os) {
    *os << '"';
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
            *os << c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            *os << escaped;
        }
    }
    *os << '"';
}

inline void PrintTo(const Text& text, std::ostream* os) { PrintEscaped(text.view(), os); }
inline void PrintTo(const Bytes& bytes, std::ostream* os) {
    if (bytes.size() > 200) {
        *os << bytes.size() << " bytes";
        return;
    }
    PrintEscaped(bytes.view(), os);
}

}  // namespace qimbra
