// Cutting request header lines into name and value, and writing header names
// with capitalised words.
#pragma once

#include "values/text.h"

namespace qimbra {

// The name of a header line: the bytes before its first ":", trimmed.
// Empty when the line holds no ":". HeaderName("Host: a:b") == "Host".
[[nodiscard]] Text HeaderName(const Text& line);

// The value of a header line: everything after its first ":", trimmed.
// Empty when the line holds no ":". HeaderValue("Host: a:b") == "a:b".
[[nodiscard]] Text HeaderValue(const Text& line);

// `word` with its first byte upper-cased when it is an ASCII letter a-z.
// CapitalizeFirst("agent") == "Agent"; the empty word stays empty.
[[nodiscard]] Text CapitalizeFirst(const Text& word);

// A header block (lines separated by CRLF) with every line that holds no ":"
// dropped, and in every other line the first byte of the name and each byte
// right after a "-" of the name upper-cased; everything else stays as it was.
// The lines are joined by CRLF, without one at the end.
// NormalizeHeaderNames("\r\nuser-agent: x\r\ngarbage") == "User-Agent: x".
[[nodiscard]] Text NormalizeHeaderNames(const Text& block);

}  // namespace qimbra
