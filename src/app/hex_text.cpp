#include "app/hex_text.h"

namespace tovrik {

std::uint32_t ParseHexText(const std::string& text)
{
    std::uint32_t value = 0;
    const std::size_t digits = text.size() < 8 ? text.size() : 8;
    for (std::size_t i = 0; i < digits; ++i) {
        const char c = text[i];
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        }
        value = (value << 4) | digit;
    }
    return value;
}

}  // namespace tovrik
