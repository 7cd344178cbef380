// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "device/hid_transport.h"

namespace tovrik {

// What the main window may know of the chips attached now, besides the device
// library's operations: the list for the device picker, the interface the next
// connection should open, and why an interface could not be opened.
class DeviceDirectory {
public:
    virtual ~DeviceDirectory() = default;

    virtual std::vector<HidDeviceInfo> ListInterfaces() = 0;

    // The next rmDeviceStart opens the interface at `path` and no other when it
    // is attached with the requested ids; empty goes back to the first match.
    virtual void PreferInterface(const std::string& path) = 0;

    // Why the interface at `path` cannot be opened, in words; empty when it can.
    virtual std::string OpenFailureReason(const std::string& path) = 0;

    // True when the chips listed are the built-in simulated ones.
    virtual bool IsSimulated() const = 0;

    // Called on the calling thread, now and then, while a transfer waits for the
    // chip: with the bytes read so far and the bytes to read, or with 0 and 0
    // while a write's progress cannot be seen.
    using ProgressHandler = std::function<void(std::uint32_t done, std::uint32_t total)>;
    virtual void SetProgressHandler(ProgressHandler handler) = 0;
};

}  // namespace tovrik
