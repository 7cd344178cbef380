// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

#include "device/sim/simulated_chip.h"

namespace tovrik {

class EepromConfig;

// The configuration a simulated chip leaves the factory with: USB ids and
// strings, volume ranges and initial levels, and user EQ presets.
void ApplyFactoryConfiguration(EepromConfig& config);

// That configuration saved onto a blank 256-byte EEPROM, as its 256 bytes.
std::vector<std::uint8_t> FactoryEepromImage();

// A simulated chip as it leaves the factory: 256-byte EEPROM with that image.
SimulatedChipOptions FactoryChipOptions();

}  // namespace tovrik
