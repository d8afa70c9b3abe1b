#include "values/text.h"

#include <cstring>

namespace qimbra {

Text::Text(std::string_view bytes) {
    const void* zero = bytes.empty() ? nullptr : std::memchr(bytes.data(), 0, bytes.size());
    const size_t kept =
        zero == nullptr ? bytes.size() : static_cast<size_t>(static_cast<const char*>(zero) - bytes.data());
    bytes_.assign(bytes.data(), kept);
}

}  // namespace qimbra
