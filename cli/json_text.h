// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace tovrik::cli {

// A JSON string literal of a byte string: bytes 0x20 to 0x7E stand as they
// are (quote and backslash escaped), every other byte as \u00xx.
std::string JsonByteString(const std::string& bytes);

}  // namespace tovrik::cli
