// SPDX-License-Identifier: MIT
#include "wide_text.h"

#include <windows.h>

namespace tovrik::win32 {

std::wstring Widen(const std::string& text)
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

std::string Narrow(const std::wstring& text)
{
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) {
        return {};
    }
    std::string narrow(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), n, nullptr, nullptr);
    return narrow;
}

std::wstring SystemFilter(const std::string& filter)
{
    std::wstring result;
    std::size_t start = 0;
    int parts = 0;
    while (start < filter.size()) {
        const std::size_t bar = filter.find('|', start);
        const std::string part = filter.substr(start, bar == std::string::npos ? bar : bar - start);
        if (part.empty()) {
            break;
        }
        result += Widen(part);
        result += L'\0';
        ++parts;
        if (bar == std::string::npos) {
            break;
        }
        start = bar + 1;
    }
    // A description without its patterns would shift every later pair.
    if (parts % 2 != 0) {
        const std::size_t last = result.find_last_of(L'\0', result.size() - 2);
        result.erase(last == std::wstring::npos ? 0 : last + 1);
    }
    result += L'\0';
    return result;
}

}  // namespace tovrik::win32
