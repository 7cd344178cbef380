// SPDX-License-Identifier: MIT
#include "formats/hex_bytes.h"

#include "formats/hex_text.h"

namespace tovrik {

namespace {

bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

int ParseHexBytes(const std::string& text, std::span<std::uint8_t> output)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsWhiteSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && IsWhiteSpace(text[end - 1])) {
        --end;
    }

    int count = 0;
    std::size_t i = begin;
    while (i < end) {
        std::uint8_t byte = 0;
        for (; i < end && text[i] != ' '; ++i) {
            const int digit = HexDigitValue(text[i]);
            if (digit >= 0) {
                byte = static_cast<std::uint8_t>((byte << 4) | digit);
            }
        }
        if (static_cast<std::size_t>(count) < output.size()) {
            output[static_cast<std::size_t>(count)] = byte;
        }
        ++count;
        while (i < end && text[i] == ' ') {
            ++i;
        }
    }
    return count;
}

}  // namespace tovrik
