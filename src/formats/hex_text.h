// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace tovrik {

// A text read as hexadecimal: at most its first 8 characters, case-insensitive,
// the first most significant. Any other character keeps its digit position but
// adds nothing ("1G2" is 0x102); an empty text is 0.
std::uint32_t ParseHexText(const std::string& text);

// The value of one hexadecimal digit, either case; -1 for any other character.
int HexDigitValue(char c);

}  // namespace tovrik
