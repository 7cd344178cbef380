// SPDX-License-Identifier: MIT
#include "formats/hex_text.h"

namespace tovrik {

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::uint32_t ParseHexText(const std::string& text)
{
    std::uint32_t value = 0;
    const std::size_t digits = text.size() < 8 ? text.size() : 8;
    for (std::size_t i = 0; i < digits; ++i) {
        // Any other character keeps its digit position but adds nothing.
        const int digit = HexDigitValue(text[i]);
        value = (value << 4) | static_cast<std::uint32_t>(digit < 0 ? 0 : digit);
    }
    return value;
}

}  // namespace tovrik
