// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace tovrik {

// The tool's texts are UTF-8; the system's wide functions take and give
// UTF-16. The one conversion between the two for every part of the tool that
// runs on Windows: a byte sequence that is no UTF-8 and an unpaired surrogate
// each become U+FFFD, so a text always converts.
std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);

// A text the system returned ending in a NUL; nullptr is the empty text.
std::string Narrow(const wchar_t* text);

}  // namespace tovrik
