#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tovrik {

// Writes the bytes to a temporary file beside `path` and renames it over
// `path`, so a failed write never leaves a truncated copy behind.
bool WriteBinaryFile(const std::string& path, const std::uint8_t* bytes, std::size_t count);

// Reads at most `count` bytes of the file into `bytes`, leaving the rest as it
// is. False when the file cannot be opened or read (a folder included).
bool ReadBinaryFile(const std::string& path, std::uint8_t* bytes, std::size_t count);

}  // namespace tovrik
