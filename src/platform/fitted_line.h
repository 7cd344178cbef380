// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tovrik {

// Statics lower than this many dialog units show one line; higher ones wrap
// their text, as multi-line statics do.
constexpr int kWrappingStaticHeight = 16;

// The width of a text as a front end draws it (pixels in its font; characters in the tests).
using TextWidth = std::function<int(std::string_view)>;

// The text as one line no wider than `width`, for a static that shows one line.
// Line breaks become spaces. A text too wide first has its paths shortened in
// the middle, whole folders at a time ("C:\Users\...\backups\x.bin"), the
// longest path first; what is still too wide is cut at its end with "...".
// A path is a run that starts after a space, a bracket or a quote with "/",
// "\" or a drive ("C:\") and ends at the text's end or at ": ", "; " or ", ".
// Characters are never cut in half. A width of 0 or less (a control not yet
// laid out) leaves the text as it is.
std::string FitLine(std::string_view text, int width, const TextWidth& measure);

// The text with its line breaks as spaces: what FitLine shows when the text fits.
std::string AsOneLine(std::string_view text);

// A path with "/" written as the system's own separator, for showing it.
std::string WithSystemSeparators(std::string path);

}  // namespace tovrik
