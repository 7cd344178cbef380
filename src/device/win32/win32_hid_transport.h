// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/hid_transport.h"

namespace tovrik {

// The HID transport for real chips on Windows: the HID class interfaces found
// through the device-setup services, opened for overlapped I/O. Interrupt
// reports go through ReadFile and WriteFile with time-outs, input report 1
// over the control pipe through HidD_GetInputReport. A read that fails (the
// device was unplugged) returns -1, so the library sees the removal.
class Win32HidTransport : public HidTransport {
public:
    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    std::string OpenFailureMessage(const std::string& path) const override;

private:
    mutable std::mutex mutex_;
    std::map<std::string, DWORD> openErrors_;  // by path, from the last failed Open
};

// A write waits this long for the device before it counts as failed.
constexpr DWORD kHidWriteTimeoutMs = 1000;

// One opened interface; owns `handle`, which must be opened for overlapped I/O.
// Report lengths are the declared ones, report id included; Windows wants
// every output report at its declared length, so shorter ones are padded with zeros.
class Win32HidDevice : public HidDevice {
public:
    Win32HidDevice(HANDLE handle, std::uint16_t vendorId, std::uint16_t productId,
                   int inputReportLength, int outputReportLength);
    ~Win32HidDevice() override;
    Win32HidDevice(const Win32HidDevice&) = delete;
    Win32HidDevice& operator=(const Win32HidDevice&) = delete;

    int Write(const std::uint8_t* report, int length) override;
    int Read(std::uint8_t* buffer, int capacity, int timeoutMs) override;
    int GetInputReport(std::uint8_t* buffer, int capacity) override;
    int InputReportLength() const override { return inputReportLength_; }
    std::uint16_t VendorId() const override { return vendorId_; }
    std::uint16_t ProductId() const override { return productId_; }

private:
    // Waits for an overlapped operation; the byte count, 0 on time-out (the
    // operation stays pending), -1 on failure.
    int Finish(OVERLAPPED& overlapped, DWORD timeoutMs);

    HANDLE handle_;
    const std::uint16_t vendorId_;
    const std::uint16_t productId_;
    const int inputReportLength_;
    const int outputReportLength_;
    // The reader's transfer may outlive one Read's time-out; the next Read waits on it again.
    OVERLAPPED readOverlapped_{};
    std::vector<std::uint8_t> readBuffer_;
    bool readPending_ = false;
    std::mutex writeMutex_;
    OVERLAPPED writeOverlapped_{};
};

// The transport a front end uses for real hardware on Windows.
std::unique_ptr<HidTransport> MakeWin32HidTransport();

}  // namespace tovrik
