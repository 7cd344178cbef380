// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "platform/window_message.h"

namespace tovrik {

// Notification message ids the tool registers with the device library.
constexpr UINT DeviceAddedMessage = 1124;
constexpr UINT DeviceRemovedMessage = 1125;
constexpr UINT KeyShortDownMessage = 1126;
constexpr UINT KeyLongDownMessage = 1127;
constexpr UINT GPIGenericNotifyMessage = 1128;
constexpr UINT MixerKeyDownMessage = 1129;
constexpr UINT MixerKeyUpMessage = 1130;
constexpr UINT GenericNotifyMessage = 1131;
constexpr UINT I2CGenericNotifyMessage = 1132;
// Posted with the events' window when device events were dropped because the
// window messages were not taken fast enough; wParam says how many.
constexpr UINT EventsDroppedMessage = 1133;

// EEPROM transfer directions of rmBurnEEPROM.
constexpr int kEepromRead = 0;
constexpr int kEepromWrite = 1;

// The operations through which the tool reaches one chip. Results are 1 for
// success and 0 for failure where the tool uses them; notifications arrive as
// window messages posted to the message queue the library was given.
class DeviceLibrary {
public:
    virtual ~DeviceLibrary() = default;

    // Opens the first device with the ids. `window` receives the added and
    // removed messages (and, unless redirected, every other notification).
    virtual int rmDeviceStart(std::uint16_t vendorId, std::uint16_t productId,
                              WindowHandle window, int reserved, UINT addedMessage,
                              UINT removedMessage) = 0;
    virtual void rmDeviceClose() = 0;

    // direction kEepromRead reads `count` bytes at `address` into `buffer`,
    // kEepromWrite writes them from it. A range past the fitted EEPROM fails.
    virtual int rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                             std::uint32_t count) = 0;
    // Reads EEPROM bytes for a backup of what a write will replace. A library
    // that remembers what this connection already read or wrote serves those
    // bytes from memory and reads only the rest; by default all are read.
    virtual int ReadEepromForBackup(std::uint32_t address, std::uint8_t* buffer,
                                    std::uint32_t count)
    {
        return rmBurnEEPROM(kEepromRead, address, buffer, count);
    }
    // Forgets what this connection knows of the EEPROM's content, for when
    // something other than this library changed it.
    virtual void ForgetEepromContent() {}
    // `mode` is always 1; `size` is 256, 512, 1024 or 2048 bytes.
    virtual void rmSetEEPROMSize(int mode, int size) = 0;

    // Sends an output report; byte 0 is the report id. Nonzero when it was sent.
    virtual int rmSetReport(const std::uint8_t* report, int length) = 0;

    virtual void rmSetI2CDeviceAddress(std::uint8_t slaveAddress) = 0;
    virtual void rmWriteDataIntoI2C(std::uint16_t dataAddress, const std::uint8_t* buffer,
                                    int count) = 0;
    virtual int rmReadDataFromI2C(std::uint16_t dataAddress, std::uint8_t* buffer,
                                  int count) = 0;

    // Bit i stands for GPO i: 1 = output / 1 = high.
    virtual void rmSetPin2GPO(std::uint16_t directionMask) = 0;
    virtual void rmSetPinGPOLevel(std::uint16_t levelMask) = 0;

    virtual void rmHandleDeviceChangeNotification(WPARAM wParam, LPARAM lParam) = 0;

    // 0 turns a notification off.
    virtual void rmSetMixerKeyNotifyMessages(UINT keyDownMessage, UINT keyUpMessage) = 0;
    virtual void rmSetGenericNotifyMessages(UINT message) = 0;
    virtual void rmSetI2CGenericNotifyMessages(UINT message) = 0;
    virtual void rmSetGPIGenericNotifyMessages(UINT message) = 0;
};

}  // namespace tovrik
