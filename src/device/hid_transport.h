// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tovrik {

struct HidDeviceInfo {
    std::string path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    // The USB strings the interface presents; empty when it has none.
    std::string manufacturer;
    std::string product;
    std::string serialNumber;
};

// One opened HID interface. Reports carry the report id in byte 0.
class HidDevice {
public:
    virtual ~HidDevice() = default;

    // Sends an output report; returns the number of bytes written, -1 on failure.
    virtual int Write(const std::uint8_t* report, int length) = 0;

    // Waits up to `timeoutMs` for the next interrupt input report. Returns its
    // length, 0 on time-out, -1 when the device is gone or failed.
    virtual int Read(std::uint8_t* buffer, int capacity, int timeoutMs) = 0;

    // Makes a Read waiting on another thread return 0 at once, and every later
    // Read too, so a reader that is being stopped need not wait out its time-out.
    virtual void WakeReader() {}

    // Gets the input report whose id is in buffer[0] over the control pipe.
    // Returns its length, -1 on failure.
    virtual int GetInputReport(std::uint8_t* buffer, int capacity) = 0;

    // Declared length of the input reports, report id included.
    virtual int InputReportLength() const = 0;

    virtual std::uint16_t VendorId() const = 0;
    virtual std::uint16_t ProductId() const = 0;
};

// Access to the system's HID interfaces: listing them and opening one by path.
class HidTransport {
public:
    virtual ~HidTransport() = default;

    virtual std::vector<HidDeviceInfo> Enumerate() = 0;

    // nullptr when the interface is missing or cannot be opened.
    virtual std::unique_ptr<HidDevice> Open(const std::string& path) = 0;

    // Why the interface at `path` could not be opened, in words for the user
    // (no permission, say); empty when there is nothing more to say.
    virtual std::string OpenFailureMessage(const std::string& /*path*/) const { return {}; }

    // True for the built-in simulated chips.
    virtual bool IsSimulated() const { return false; }
};

}  // namespace tovrik
