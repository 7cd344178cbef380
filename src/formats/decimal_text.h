// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace tovrik {

// The decimal integer a text starts with: blanks, an optional sign, digits.
// Nothing when there are no digits; a longer number is held to the int range
// instead of overflowing.
std::optional<int> ParseLeadingInteger(const std::string& text);

// A leading decimal number (blanks, sign, digits, a decimal point); nothing
// when the text does not start with one.
std::optional<double> ParseLeadingDecimal(const std::string& text);

}  // namespace tovrik
