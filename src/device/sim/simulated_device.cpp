// SPDX-License-Identifier: MIT
#include "device/sim/simulated_device.h"

namespace tovrik {

SimulatedDevice::SimulatedDevice(SimulatedChipOptions options)
    : chip_(std::move(options)), transport_(chip_), library_(transport_, queue_)
{
}

int SimulatedDevice::Start(WindowHandle window)
{
    const auto info = chip_.Enumeration();
    if (!info) {
        return 0;
    }
    return library_.rmDeviceStart(info->vendorId, info->productId, window, 0,
                                  DeviceAddedMessage, DeviceRemovedMessage);
}

}  // namespace tovrik
