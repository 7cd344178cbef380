// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "app/window_services.h"
#include "session/settings_table.h"

namespace tovrik {

struct DeviceProfile;

// The settings of an EEPROM image (its first 256 bytes) as the configuration
// pages show them after loading it from a chip of `profile`.
std::vector<SettingValue> SettingsOfImage(std::span<const std::uint8_t> image,
                                          const DeviceProfile* profile);

// The settings in which `other` differs from `chip`, in page order.
std::vector<SettingDifference> CompareImageSettings(std::span<const std::uint8_t> chip,
                                                    std::span<const std::uint8_t> other,
                                                    const DeviceProfile* profile);

}  // namespace tovrik
