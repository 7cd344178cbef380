// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace tovrik {

// What kind of device the current connection reached, from its device code.
struct DeviceProfile {
    std::uint8_t code = 0;
    std::string typeName;  // "Speaker", "Microphone", "Headset with Line-In" or "Headset"
    int hasMicIn = 0;
    int hasLineIn = 0;
    int hasEq = 0;
};

// Fills a zeroed profile from a device code; 0 (and the profile left empty,
// code 0) for codes of 32 and above.
int ClassifyDeviceCode(std::uint8_t code, DeviceProfile& profile);

}  // namespace tovrik
