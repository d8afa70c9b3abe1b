#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qimbra {

// A counted byte sequence; zero bytes are ordinary content.
class Bytes {
  public:
    Bytes() = default;
    explicit Bytes(std::string_view data) : data_(data) {}
    explicit Bytes(std::string&& data) : data_(std::move(data)) {}
    // The bytes of a C string, up to its terminator (so `Bytes("abc")` is not
    // ambiguous between the two above).
    explicit Bytes(const char* data) : data_(data) {}

    [[nodiscard]] const std::string& data() const { return data_; }
    [[nodiscard]] std::string_view view() const { return data_; }
    [[nodiscard]] int32_t size() const { return static_cast<int32_t>(data_.size()); }
    [[nodiscard]] bool empty() const { return data_.empty(); }

    // Byte `index` (1-based), 0 to 255. Any other index is the fatal error.
    [[nodiscard]] int32_t ByteAt(int32_t index) const;
    // Stores the low 8 bits of `value` at `index` (1-based); any other index
    // is the fatal error.
    void SetByte(int32_t index, int32_t value);

    // Equal lengths and equal content.
    friend bool operator==(const Bytes&, const Bytes&) = default;

  private:
    std::string data_;
};

}  // namespace qimbra
