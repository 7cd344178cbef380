// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/sim/simulated_chip.h"

namespace tovrik {

// Which chip a session reaches, as the front ends' options describe it.
struct ChipChoice {
    // A simulated chip instead of the system's interfaces: in memory, or with
    // its EEPROM kept in `backingFile`.
    bool simulate = false;
    std::string backingFile;
    // An in-memory simulated chip whose EEPROM starts with these bytes (the
    // rest erased) instead of the factory image.
    std::optional<std::vector<std::uint8_t>> image;
    // The simulated chip's device code and fitted EEPROM size.
    std::optional<int> deviceCode;
    std::optional<int> eepromSize;
    // The simulated chip takes its modelled time instead of none.
    bool realTiming = false;

    // Not simulated: the transport registered under this name (empty: the
    // system's default, see PlatformDevices).
    std::string transport;
    // Only the interface at this path (one of several identical chips).
    std::string path;
    // The chip maker's device library at this path: the tool's operations
    // and backups go through it, while the transport still lists the chips
    // and tells their device type.
    std::string vendorLibrary;
};

// Whether `size` is a size of EEPROM a chip is fitted with.
bool IsEepromImageSize(std::size_t size);

// The simulated chip the choice describes: the factory image (or the choice's
// image) on an EEPROM of the chosen size, or, with a backing file that exists,
// an EEPROM as large as the file. Sets `error` and returns nothing for a file
// of another size than 256, 512, 1024 or 2048 bytes, one that cannot be read
// and written, a chosen size the file does not have, or a missing file whose
// folder does not exist or cannot be written.
std::optional<SimulatedChipOptions> SimulatedChipFor(const ChipChoice& choice, std::string& error);

}  // namespace tovrik
