// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace tovrik::win32 {

// A file dialog's filter as the system wants it: the tool's "description|patterns|"
// pairs ending in "||" with every separator turned into a NUL, the list ending
// in two NULs. Two separators in a row end the list, as the closing "||" does.
std::wstring SystemFilter(const std::string& filter);

}  // namespace tovrik::win32
