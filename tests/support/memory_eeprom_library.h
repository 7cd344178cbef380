// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

#include "device/device_library.h"

namespace tovrik {

// A device library whose only device is a 256-byte EEPROM in memory, for
// exercising the image layout where the protocol path does not matter (and a
// thread per run would slow a fuzzer down).
class MemoryEepromLibrary : public DeviceLibrary {
public:
    std::array<std::uint8_t, 256> eeprom{};

    int rmDeviceStart(std::uint16_t, std::uint16_t, WindowHandle, int, UINT, UINT) override
    {
        return 1;
    }
    void rmDeviceClose() override {}
    int rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                     std::uint32_t count) override
    {
        if (buffer == nullptr || address > eeprom.size() || count > eeprom.size() - address) {
            return 0;
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            if (direction == kEepromRead) {
                buffer[i] = eeprom[address + i];
            } else {
                eeprom[address + i] = buffer[i];
            }
        }
        return 1;
    }
    void rmSetEEPROMSize(int, int) override {}
    int rmSetReport(const std::uint8_t*, int) override { return 1; }
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
};

}  // namespace tovrik
