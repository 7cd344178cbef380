// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tovrik::cli {

// The tool's safe file writer and bounded reader for the commands: a failed
// write never leaves a good file half-written. Both throw UsageError with a
// reason that names the file.
void WriteOutputFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// A whole input file of at most `limit` bytes. Throws UsageError.
std::vector<std::uint8_t> ReadInputFile(const std::string& path, std::size_t limit);

}  // namespace tovrik::cli
