// SPDX-License-Identifier: MIT
#include "file_filter.h"

#include "platform/win32/wide_text.h"

namespace tovrik::win32 {

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
