// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "config/eeprom_config.h"
#include "device/device_library.h"

namespace tovrik {

// An EEPROM image as a device library that can only be read, so the
// configuration's own loader reads an image kept in a file (a backup, say).
class ImageLibrary : public DeviceLibrary {
public:
    explicit ImageLibrary(std::span<const std::uint8_t> image) : image_(image.begin(), image.end())
    {
        image_.resize(std::max<std::size_t>(image_.size(), EepromConfig::kImageSize), 0xFF);
    }
    int rmDeviceStart(std::uint16_t, std::uint16_t, WindowHandle, int, UINT, UINT) override
    {
        return 1;
    }
    void rmDeviceClose() override {}
    int rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                     std::uint32_t count) override
    {
        if (direction != kEepromRead || address > image_.size() ||
            count > image_.size() - address) {
            return 0;
        }
        std::memcpy(buffer, image_.data() + address, count);
        return 1;
    }
    void rmSetEEPROMSize(int, int) override {}
    int rmSetReport(const std::uint8_t*, int) override { return 0; }
    void rmSetI2CDeviceAddress(std::uint8_t) override {}
    void rmWriteDataIntoI2C(std::uint16_t, const std::uint8_t*, int) override {}
    int rmReadDataFromI2C(std::uint16_t, std::uint8_t*, int) override { return 0; }
    void rmSetPin2GPO(std::uint16_t) override {}
    void rmSetPinGPOLevel(std::uint16_t) override {}
    void rmHandleDeviceChangeNotification(WPARAM, LPARAM) override {}
    void rmSetMixerKeyNotifyMessages(UINT, UINT) override {}
    void rmSetGenericNotifyMessages(UINT) override {}
    void rmSetI2CGenericNotifyMessages(UINT) override {}
    void rmSetGPIGenericNotifyMessages(UINT) override {}

private:
    std::vector<std::uint8_t> image_;
};

}  // namespace tovrik
