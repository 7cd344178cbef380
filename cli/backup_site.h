#pragma once

#include <cstdint>
#include <string>

namespace tovrik {
class DeviceLibrary;
}

namespace tovrik::cli {

// Keeps the whole fitted EEPROM (`eepromSize` bytes, which the library must
// have been told) of the open device as a file before a command overwrites
// it. Every command-line write calls this one function. True with the file's
// path in `where`; false with the reason in `error`, and then the command
// must not write.
bool KeepBackup(DeviceLibrary& library, int eepromSize, std::uint16_t vendorId,
                std::uint16_t productId, std::string& where, std::string& error);

}  // namespace tovrik::cli
