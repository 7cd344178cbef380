// SPDX-License-Identifier: MIT
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>

#include "platform/latin1_text.h"

namespace tovrik {

std::wstring Widen(std::string_view text)
{
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    if (n <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), n);
    return wide;
}

std::string Narrow(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = static_cast<std::uint16_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const std::uint32_t low = static_cast<std::uint16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        // A surrogate left unpaired here becomes U+FFFD.
        AppendUtf8(out, c);
    }
    return out;
}

std::string Narrow(const wchar_t* text)
{
    return text == nullptr ? std::string() : Narrow(std::wstring_view(text, std::wcslen(text)));
}

}  // namespace tovrik
