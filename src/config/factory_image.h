#pragma once

#include <cstdint>
#include <vector>

namespace tovrik {

class EepromConfig;

// The configuration a simulated chip leaves the factory with: USB ids and
// strings, volume ranges and initial levels, and user EQ presets.
void ApplyFactoryConfiguration(EepromConfig& config);

// That configuration saved onto a blank 256-byte EEPROM, as its 256 bytes.
std::vector<std::uint8_t> FactoryEepromImage();

}  // namespace tovrik
