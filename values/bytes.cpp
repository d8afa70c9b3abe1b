#include "values/bytes.h"

#include "values/index_error.h"

namespace qimbra {

int32_t Bytes::ByteAt(int32_t index) const { return static_cast<unsigned char>(data_[CheckedIndex(index, size())]); }

void Bytes::SetByte(int32_t index, int32_t value) {
    data_[CheckedIndex(index, size())] = static_cast<char>(static_cast<unsigned char>(value & 0xFF));
}

}  // namespace qimbra
