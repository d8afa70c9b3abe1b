#include "values/text_array.h"

#include "values/index_error.h"

namespace qimbra {

const Text& TextArray::operator[](int32_t index) const { return items_[CheckedIndex(index, ArraySize(*this))]; }

int32_t ArraySize(const TextArray& array) { return static_cast<int32_t>(array.items_.size()); }

void AppendText(TextArray& array, const Text& text) { array.items_.push_back(text); }

void ClearArray(TextArray& array) {
    // Gives the memory back too, as releasing every element would.
    std::vector<Text>().swap(array.items_);
}

}  // namespace qimbra
