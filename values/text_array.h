#pragma once

#include <cstdint>
#include <vector>

#include "values/text.h"

namespace qimbra {

// A 1-based list of Text that owns its elements. It grows only by AppendText
// and empties only by ClearArray.
class TextArray {
public:
    // Element `index` (1-based). An index below 1 or past the element count is
    // the fatal run-time error.
    [[nodiscard]] const Text& operator[](int32_t index) const;

    [[nodiscard]] auto begin() const { return items_.begin(); }
    [[nodiscard]] auto end() const { return items_.end(); }

    friend bool operator==(const TextArray&, const TextArray&) = default;

private:
    friend int32_t ArraySize(const TextArray& array);
    friend void AppendText(TextArray& array, const Text& text);
    friend void ClearArray(TextArray& array);
    std::vector<Text> items_;
};

// The element count; 0 for a new or cleared array.
[[nodiscard]] int32_t ArraySize(const TextArray& array);
// Adds a copy of `text` as the new last element.
void AppendText(TextArray& array, const Text& text);
// Releases every element; the array stays usable.
void ClearArray(TextArray& array);

}  // namespace qimbra
