#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qimbra {

// A byte string in code page 936 that holds no zero byte. Lengths and
// positions are in bytes; a byte of 0x80 or more starts a two-byte character.
// The default value is the empty Text.
class Text {
public:
    Text() = default;
    // Keeps the bytes in front of the first zero byte of `bytes`.
    explicit Text(std::string_view bytes);

    [[nodiscard]] const std::string& bytes() const { return bytes_; }
    [[nodiscard]] std::string_view view() const { return bytes_; }
    [[nodiscard]] const char* c_str() const { return bytes_.c_str(); }
    [[nodiscard]] int32_t size() const { return static_cast<int32_t>(bytes_.size()); }
    [[nodiscard]] bool empty() const { return bytes_.empty(); }

    friend bool operator==(const Text&, const Text&) = default;

private:
    std::string bytes_;
};

}  // namespace qimbra
