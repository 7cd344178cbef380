// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "device/sim/simulated_chip.h"

namespace tovrik {

// Simulated chip options in one call; designated initializers would leave fields unnamed.
inline SimulatedChipOptions Options(int size, std::vector<std::uint8_t> image = {},
                                    std::uint8_t deviceCode = 23, std::string file = {})
{
    SimulatedChipOptions options;
    options.eepromSize = size;
    options.initialEeprom = std::move(image);
    options.deviceCode = deviceCode;
    options.backingFile = std::move(file);
    return options;
}

}  // namespace tovrik
