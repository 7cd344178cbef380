// SPDX-License-Identifier: MIT
#pragma once

#include "device/hid_transport.h"

namespace tovrik {

// The HID transport of a build without USB access: it finds no interface, so
// connecting reports that the device cannot be found.
class NoDeviceTransport : public HidTransport {
public:
    std::vector<HidDeviceInfo> Enumerate() override { return {}; }
    std::unique_ptr<HidDevice> Open(const std::string&) override { return nullptr; }
};

}  // namespace tovrik
