#include "values/literal.h"

#include "platform/encoding.h"

namespace qimbra {

Text Cp936(std::string_view utf8) { return Text(platform::Utf8ToCp936(utf8)); }

}  // namespace qimbra
