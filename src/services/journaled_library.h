// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/device_library.h"
#include "services/write_journal.h"

namespace tovrik {

// A device library that closes the journal record of a user's action once
// what the action wrote reads back equal. Begin writes the record before the
// action's first write; every write through this library that succeeds is
// read back. The record is removed when the bytes read back equal cover its
// whole range, or when the action ends (EndAction) with no write that failed
// or read back different. Otherwise it stays, so the next connection finds it.
class JournaledLibrary : public DeviceLibrary {
public:
    JournaledLibrary(DeviceLibrary& inner, WriteJournal& journal) : inner_(inner), journal_(journal)
    {
    }

    // Writes `record` (replacing a record still open: its action ended
    // without finishing and stays in the journal); false with `error`.
    bool Begin(const JournalRecord& record, std::string& error);
    // The action ended: its record goes unless one of its writes failed.
    void EndAction();
    // The record of the action in progress; empty when none is open.
    const std::string& OpenRecord() const { return record_; }
    WriteJournal& Journal() { return journal_; }

    int rmDeviceStart(std::uint16_t vendorId, std::uint16_t productId, WindowHandle window,
                      int reserved, UINT addedMessage, UINT removedMessage) override
    {
        return inner_.rmDeviceStart(vendorId, productId, window, reserved, addedMessage,
                                    removedMessage);
    }
    void rmDeviceClose() override;
    int rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                     std::uint32_t count) override;
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

private:
    DeviceLibrary& inner_;
    WriteJournal& journal_;
    std::string record_;
    std::uint32_t start_ = 0;
    // One flag per byte of the record's range: read back equal.
    std::vector<bool> verified_;
    bool failed_ = false;
};

}  // namespace tovrik
