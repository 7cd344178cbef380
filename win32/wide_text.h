// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace tovrik::win32 {

// The tool's texts are UTF-8; the window system's are UTF-16.
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);

// A file dialog's filter as the system wants it: the tool's "description|patterns|"
// pairs ending in "||" with every separator turned into a NUL, the list ending
// in two NULs. Two separators in a row end the list, as the closing "||" does.
std::wstring SystemFilter(const std::string& filter);

}  // namespace tovrik::win32
