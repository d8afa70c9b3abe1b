#pragma once

#include "values/bytes.h"
#include "values/text.h"

namespace qimbra {

// Standard Base64 (RFC 4648 alphabet, "=" padding, no line breaks).
// EncodeBase64(Bytes("u:p")) == "dTpw"; empty input gives empty Text.
[[nodiscard]] Text EncodeBase64(const Bytes& data);

}  // namespace qimbra
