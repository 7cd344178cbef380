// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "device/device_library.h"

namespace tovrik {

// Passes every call on to another library; a library that watches or changes
// some calls derives from it and overrides only those.
class ForwardingLibrary : public DeviceLibrary {
public:
    explicit ForwardingLibrary(DeviceLibrary& inner) : inner_(inner) {}

    int rmDeviceStart(std::uint16_t vendorId, std::uint16_t productId, WindowHandle window,
                      int reserved, UINT addedMessage, UINT removedMessage) override
    {
        return inner_.rmDeviceStart(vendorId, productId, window, reserved, addedMessage,
                                    removedMessage);
    }
    void rmDeviceClose() override { inner_.rmDeviceClose(); }
    int rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                     std::uint32_t count) override
    {
        return inner_.rmBurnEEPROM(direction, address, buffer, count);
    }
    int ReadEepromForBackup(std::uint32_t address, std::uint8_t* buffer,
                            std::uint32_t count) override
    {
        return inner_.ReadEepromForBackup(address, buffer, count);
    }
    void ForgetEepromContent() override { inner_.ForgetEepromContent(); }
    void rmSetEEPROMSize(int mode, int size) override { inner_.rmSetEEPROMSize(mode, size); }
    int rmSetReport(const std::uint8_t* report, int length) override
    {
        return inner_.rmSetReport(report, length);
    }
    void rmSetI2CDeviceAddress(std::uint8_t slaveAddress) override
    {
        inner_.rmSetI2CDeviceAddress(slaveAddress);
    }
    void rmWriteDataIntoI2C(std::uint16_t dataAddress, const std::uint8_t* buffer,
                            int count) override
    {
        inner_.rmWriteDataIntoI2C(dataAddress, buffer, count);
    }
    int rmReadDataFromI2C(std::uint16_t dataAddress, std::uint8_t* buffer, int count) override
    {
        return inner_.rmReadDataFromI2C(dataAddress, buffer, count);
    }
    void rmSetPin2GPO(std::uint16_t directionMask) override { inner_.rmSetPin2GPO(directionMask); }
    void rmSetPinGPOLevel(std::uint16_t levelMask) override { inner_.rmSetPinGPOLevel(levelMask); }
    void rmHandleDeviceChangeNotification(WPARAM wParam, LPARAM lParam) override
    {
        inner_.rmHandleDeviceChangeNotification(wParam, lParam);
    }
    void rmSetMixerKeyNotifyMessages(UINT keyDownMessage, UINT keyUpMessage) override
    {
        inner_.rmSetMixerKeyNotifyMessages(keyDownMessage, keyUpMessage);
    }
    void rmSetGenericNotifyMessages(UINT message) override
    {
        inner_.rmSetGenericNotifyMessages(message);
    }
    void rmSetI2CGenericNotifyMessages(UINT message) override
    {
        inner_.rmSetI2CGenericNotifyMessages(message);
    }
    void rmSetGPIGenericNotifyMessages(UINT message) override
    {
        inner_.rmSetGPIGenericNotifyMessages(message);
    }

protected:
    DeviceLibrary& inner_;
};

}  // namespace tovrik
