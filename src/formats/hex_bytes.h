// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tovrik {

// A blank-separated list of hexadecimal bytes: upper-cased, trimmed of white
// space, split at blanks (0x20) only, runs of blanks counting as one. Each group
// gives one byte from its hex digits, so only its last two digits count and a
// group without any gives 0; other characters (tabs, line breaks) are skipped
// inside their group. Returns the number of groups; only the first
// `output.size()` bytes are stored, so a result above that size means the
// text did not fit and the caller must refuse it.
int ParseHexBytes(const std::string& text, std::span<std::uint8_t> output);

}  // namespace tovrik
