// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tovrik {

// Writes the bytes safely (see platform/safe_file.h): a failed write never
// leaves a truncated copy behind, and a target that is not a regular file is
// refused. `error` names the file and the reason.
bool WriteBinaryFile(const std::string& path, const std::uint8_t* bytes, std::size_t count,
                     std::string& error);

// Reads at most `count` bytes of a regular file into `bytes`, leaving the rest
// as it is. False when the file cannot be opened or read, or is no regular file.
bool ReadBinaryFile(const std::string& path, std::uint8_t* bytes, std::size_t count,
                    std::string& error);

// The message shown when a file could not be used: `prefix` and the path as
// ever, and the reason after it when the file exists but was refused.
std::string FileFailureMessage(const std::string& prefix, const std::string& path,
                               const std::string& error);

}  // namespace tovrik
