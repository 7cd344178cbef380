// SPDX-License-Identifier: MIT
#include "json_text.h"

#include <cstdio>

namespace tovrik::cli {

std::string JsonByteString(const std::string& bytes)
{
    std::string out = "\"";
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '"' || b == '\\') {
            out += '\\';
            out += static_cast<char>(b);
        } else if (b >= 0x20 && b <= 0x7E) {
            out += static_cast<char>(b);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", b);
            out += escape;
        }
    }
    out += '"';
    return out;
}

}  // namespace tovrik::cli
