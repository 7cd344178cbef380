// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/hid_transport.h"

namespace tovrik {

struct DeviceProfile;
class FileManager;
class SessionLog;

// A setting whose value differs between the chip's EEPROM and another image.
struct SettingDifference {
    std::string page;
    std::string label;
    std::string onChip;
    std::string inOther;
};

// What the session gives the main window besides the device library: image
// files opened as chips, the settings of EEPROM images, the log of the
// window's commands and the system's file manager. Each may be missing.
struct WindowServices {
    // Opens an image file as a simulated chip (made from the factory image
    // when missing); its interface, or nothing with `error`.
    std::function<std::optional<HidDeviceInfo>(const std::string& file, std::string& error)>
        openImageFile;
    // Told the interface a connection opens; returns the image file behind
    // it, empty for any other chip.
    std::function<std::string(const std::string& interfacePath)> useChip;
    // The settings in which `other` differs from `chip`, as the configuration
    // pages show both for a chip of `profile`, in page order.
    std::function<std::vector<SettingDifference>(std::span<const std::uint8_t> chip,
                                                 std::span<const std::uint8_t> other,
                                                 const DeviceProfile* profile)>
        compareImages;
    // The bytes written into EEPROMs so far, counted below every other layer.
    std::function<std::uint64_t()> bytesWritten;
    SessionLog* log = nullptr;
    FileManager* fileManager = nullptr;
};

}  // namespace tovrik
