// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/hid_transport.h"
#include "device/sim/simulated_chip.h"
#include "platform/message_queue.h"

namespace tovrik {

// The HID transport of the simulated chips: lists each chip while it is
// plugged in and opens handles bound to it. Optionally announces plugging and
// unplugging with WM_DEVICECHANGE, as the system does for real hardware.
class SimTransport : public HidTransport {
public:
    // The path of the first chip; the chips added later are "sim:1", "sim:2", ...
    static constexpr const char* kDevicePath = "sim:0";
    // wParam of the posted WM_DEVICECHANGE: a device arrived / was removed.
    static constexpr WPARAM kDeviceArrival = 0x8000;
    static constexpr WPARAM kDeviceRemoveComplete = 0x8004;

    // The chip must outlive the transport and every handle opened through it.
    explicit SimTransport(SimulatedChip& chip);
    ~SimTransport() override;
    SimTransport(const SimTransport&) = delete;
    SimTransport& operator=(const SimTransport&) = delete;

    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    bool IsSimulated() const override { return true; }

    // Attaches one more chip, listed after those before it. It must outlive the transport.
    void AddChip(SimulatedChip& chip);

    // Each later Plug/Unplug of the chip posts WM_DEVICECHANGE to `window`;
    // a null queue stops that. The queue must outlive the transport or be reset first.
    void SetDeviceChangeTarget(MessageQueue* queue, WindowHandle window);

private:
    void OnPlug(bool plugged);

    struct Attached {
        SimulatedChip* chip = nullptr;
        int listenerId = 0;
    };
    std::vector<Attached> chips_;
    std::mutex targetMutex_;
    MessageQueue* queue_ = nullptr;
    WindowHandle window_ = kNoWindow;
};

}  // namespace tovrik
