// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace tovrik {

class DeviceLibrary;

// Keeps what a command is about to overwrite, `count` bytes from address 0
// (at least the 256 bytes of the image), as a file before it writes. Every
// command-line write calls this one function. True with the file's path in
// `where`; false with the reason in `error`, and then the command must not
// write.
bool KeepBackup(DeviceLibrary& library, std::uint16_t vendorId, std::uint16_t productId,
                std::uint32_t count, std::string& where, std::string& error);

}  // namespace tovrik
