// SPDX-License-Identifier: MIT
#include "output_file.h"

#include "device_access.h"
#include "platform/safe_file.h"

namespace tovrik::cli {

void WriteOutputFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::string error;
    if (!WriteFileSafely(path, bytes, error)) {
        throw UsageError{error};
    }
}

std::vector<std::uint8_t> ReadInputFile(const std::string& path, std::size_t limit)
{
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadFileBounded(path, limit, bytes, error)) {
        throw UsageError{error};
    }
    return bytes;
}

}  // namespace tovrik::cli
