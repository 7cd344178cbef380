// SPDX-License-Identifier: MIT
#include "formats/serial_format.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace tovrik {

std::optional<SerialFormat> SerialFormat::Parse(const std::string& format, std::string& error)
{
    SerialFormat parsed;
    parsed.text_ = format;
    bool found = false;
    std::string* part = &parsed.prefix_;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            *part += format[i];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            *part += "%%";
            ++i;
            continue;
        }
        if (found) {
            error = format + ": give exactly one integer conversion";
            return std::nullopt;
        }
        std::size_t j = i + 1;
        while (j < format.size() && std::strchr("-+ #0", format[j]) != nullptr) {
            ++j;
        }
        std::size_t digits = 0;
        while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j])) &&
               digits < 2) {
            ++j;
            ++digits;
        }
        if (j < format.size() && format[j] == '.') {
            ++j;
            digits = 0;
            while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j])) &&
                   digits < 2) {
                ++j;
                ++digits;
            }
        }
        if (j >= format.size() || std::strchr("diuxXo", format[j]) == nullptr) {
            error = format +
                    ": the conversion must be d, i, u, x, X or o with at most two digits of "
                    "width and precision";
            return std::nullopt;
        }
        parsed.conversion_ = format.substr(i, j - i) + "ll" + format[j];
        found = true;
        part = &parsed.suffix_;
        i = j;
    }
    if (!found) {
        error = format + ": give exactly one integer conversion";
        return std::nullopt;
    }
    return parsed;
}

std::string SerialFormat::Format(long long number) const
{
    const std::string format = prefix_ + conversion_ + suffix_;
    char text[256];
    // The format was rebuilt from checked parts with one long long conversion.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const int length = std::snprintf(text, sizeof text, format.c_str(), number);
#pragma GCC diagnostic pop
    return length < 0 ? std::string()
                      : std::string(text, std::min<std::size_t>(length, sizeof text - 1));
}

}  // namespace tovrik
