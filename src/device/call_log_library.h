// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "device/device_library.h"

namespace tovrik {

// Forwards every operation unchanged to another device library and keeps one
// line per call, in order, so a script can print the calls the tool made.
// UI thread only: it records the forwarded calls, never the inner library's threads.
class CallLogLibrary : public DeviceLibrary {
public:
    // One call as an observer sees it: before it is forwarded (done false)
    // and after, with its result (done true).
    struct ObservedCall {
        enum class Kind { Start, Close, Burn, SetReport } kind = Kind::Start;
        bool done = false;
        int direction = 0;
        std::uint32_t address = 0;
        const std::uint8_t* buffer = nullptr;
        std::uint32_t count = 0;
        int result = 0;
    };
    using Observer = std::function<void(const ObservedCall& call)>;

    explicit CallLogLibrary(DeviceLibrary& inner) : inner_(inner) {}

    // Names window handle arguments in the log; without a namer they print in decimal.
    void SetWindowNamer(std::function<std::string(WindowHandle)> namer)
    {
        windowNamer_ = std::move(namer);
    }

    // Told of the calls that reach the device, for measuring them; empty removes it.
    void SetObserver(Observer observer) { observer_ = std::move(observer); }

    // The lines since the last take; the log is empty afterwards.
    std::vector<std::string> TakeCalls();
    const std::vector<std::string>& Calls() const { return calls_; }

    int rmDeviceStart(std::uint16_t vendorId, std::uint16_t productId, WindowHandle window,
                      int reserved, UINT addedMessage, UINT removedMessage) override;
    void rmDeviceClose() override;
    int rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                     std::uint32_t count) override;
    void rmSetEEPROMSize(int mode, int size) override;
    // A backup's read is not a call of the tool: forwarded, not logged or observed.
    int ReadEepromForBackup(std::uint32_t address, std::uint8_t* buffer,
                            std::uint32_t count) override
    {
        return inner_.ReadEepromForBackup(address, buffer, count);
    }
    void ForgetEepromContent() override { inner_.ForgetEepromContent(); }
    int rmSetReport(const std::uint8_t* report, int length) override;
    void rmSetI2CDeviceAddress(std::uint8_t slaveAddress) override;
    void rmWriteDataIntoI2C(std::uint16_t dataAddress, const std::uint8_t* buffer,
                            int count) override;
    int rmReadDataFromI2C(std::uint16_t dataAddress, std::uint8_t* buffer, int count) override;
    void rmSetPin2GPO(std::uint16_t directionMask) override;
    void rmSetPinGPOLevel(std::uint16_t levelMask) override;
    void rmHandleDeviceChangeNotification(WPARAM wParam, LPARAM lParam) override;
    void rmSetMixerKeyNotifyMessages(UINT keyDownMessage, UINT keyUpMessage) override;
    void rmSetGenericNotifyMessages(UINT message) override;
    void rmSetI2CGenericNotifyMessages(UINT message) override;
    void rmSetGPIGenericNotifyMessages(UINT message) override;

private:
    std::string WindowName(WindowHandle window) const;
    void Record(std::string line) { calls_.push_back(std::move(line)); }

    void Observe(ObservedCall call) const
    {
        if (observer_) {
            observer_(call);
        }
    }

    DeviceLibrary& inner_;
    Observer observer_;
    std::function<std::string(WindowHandle)> windowNamer_;
    std::vector<std::string> calls_;
};

}  // namespace tovrik
