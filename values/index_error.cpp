#include "values/index_error.h"

#include <string>

#include "platform/fatal.h"

namespace qimbra {

void FatalIndexError(int32_t index, int32_t count) {
    if (index < 1) {
        platform::FatalError("element index " + std::to_string(index) + " is below 1");
    }
    platform::FatalError("element index " + std::to_string(index) + " is past the element count " +
                         std::to_string(count));
}

}  // namespace qimbra
