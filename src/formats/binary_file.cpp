// SPDX-License-Identifier: MIT
#include "formats/binary_file.h"

#include <algorithm>
#include <span>
#include <vector>

#include "platform/safe_file.h"

namespace tovrik {

bool WriteBinaryFile(const std::string& path, const std::uint8_t* bytes, std::size_t count,
                     std::string& error)
{
    return WriteFileSafely(path, std::span<const std::uint8_t>(bytes, count), error);
}

bool ReadBinaryFile(const std::string& path, std::uint8_t* bytes, std::size_t count,
                    std::string& error)
{
    std::vector<std::uint8_t> data;
    if (!ReadFilePrefix(path, count, data, error)) {
        return false;
    }
    std::copy(data.begin(), data.end(), bytes);
    return true;
}

std::string FileFailureMessage(const std::string& prefix, const std::string& path,
                               const std::string& error)
{
    if (!FileExists(path) || error.empty()) {
        return prefix + path;
    }
    return prefix + path + "\n\n" + error;
}

}  // namespace tovrik
