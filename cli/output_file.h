#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tovrik::cli {

// Writes `bytes` to a temporary file beside `path` and renames it over
// `path`, so a failed write never leaves a good file half-written. Throws
// UsageError naming the file.
void WriteOutputFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// A whole input file of at most `limit` bytes. Throws UsageError.
std::vector<std::uint8_t> ReadInputFile(const std::string& path, std::size_t limit);

}  // namespace tovrik::cli
