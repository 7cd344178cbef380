// SPDX-License-Identifier: MIT
// Device detection: the one place where the tool talks to the system's HID
// interfaces directly instead of through the device library.
#include <algorithm>
#include <array>
#include <memory>

#include "config/eeprom_config.h"
#include "device/hid_transport.h"

namespace tovrik {

namespace {

constexpr std::uint8_t kDeviceCodeRegister = 0xFF;
constexpr std::uint8_t kDeviceCodeUnlock = 0x51;
constexpr int kInputReportBufferSize = 17;
constexpr int kDeviceCodeByte = 7;
// Byte 5 of the same report: the fitted EEPROM size in units of 256 bytes.
constexpr int kEepromPagesByte = 5;

}  // namespace

int EepromConfig::DetectDevice(std::uint16_t vendorId, std::uint16_t productId)
{
    // Asks the chip to report its device code in input report 1; the result
    // is not relied on, the report read below tells.
    WriteRegisterReport(kDeviceCodeRegister, kDeviceCodeUnlock);

    deviceCode = 0;
    detectedEepromSize_ = 0;
    if (transport_ == nullptr) {
        return 0;
    }
    std::vector<HidDeviceInfo> interfaces = transport_->Enumerate();
    // The picked interface goes first, so it is the one read when its ids match.
    std::stable_partition(interfaces.begin(), interfaces.end(), [this](const HidDeviceInfo& i) {
        return !preferredPath_.empty() && i.path == preferredPath_;
    });
    std::unique_ptr<HidDevice> match;
    for (const HidDeviceInfo& info : interfaces) {
        std::unique_ptr<HidDevice> device = transport_->Open(info.path);
        if (!device) {
            continue;
        }
        // The attributes of the opened interface decide, not the listing.
        if (device->VendorId() == vendorId && device->ProductId() == productId) {
            match = std::move(device);
            break;
        }
    }
    if (!match) {
        return 0;
    }
    std::array<std::uint8_t, kInputReportBufferSize> report{};
    report[0] = 1;
    const int length = std::clamp(match->InputReportLength(), 1, kInputReportBufferSize);
    if (match->GetInputReport(report.data(), length) < 0) {
        return 0;
    }
    deviceCode = report[kDeviceCodeByte];
    detectedEepromSize_ = report[kEepromPagesByte] * 256;
    return 1;
}

}  // namespace tovrik
