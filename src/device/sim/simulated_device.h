// SPDX-License-Identifier: MIT
#pragma once

#include "device/hid_device_library.h"
#include "device/sim/sim_transport.h"
#include "device/sim/simulated_chip.h"
#include "platform/message_queue.h"

namespace tovrik {

// A simulated chip wired to the real device library through the in-process
// transport: the whole library and protocol path, without hardware.
class SimulatedDevice {
public:
    explicit SimulatedDevice(SimulatedChipOptions options = {});

    // rmDeviceStart with the ids the chip enumerates with; 0 when unplugged.
    int Start(WindowHandle window = 1);

    SimulatedChip& Chip() { return chip_; }
    SimTransport& Transport() { return transport_; }
    HidDeviceLibrary& Library() { return library_; }
    MessageQueue& Queue() { return queue_; }

private:
    // Declared so that the library goes first, then the transport and chip.
    MessageQueue queue_;
    SimulatedChip chip_;
    SimTransport transport_;
    HidDeviceLibrary library_;
};

}  // namespace tovrik
