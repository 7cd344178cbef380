// SPDX-License-Identifier: MIT
// Runs the device library's operations against a device that answers with
// the fuzzer's bytes: whatever a device sends, the library must stay within
// its buffers and report a failure rather than crash or hang.
#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "device/command_protocol.h"
#include "device/hid_device_library.h"
#include "platform/message_queue.h"

namespace {

namespace p = tovrik::protocol;

// Each answer is one control byte and up to a report of data; bit 0 of the
// control byte copies the last command's opcode, tag and sequence into the
// answer, so the fuzzer reaches past the library's matching of answers.
class FuzzDevice : public tovrik::HidDevice {
public:
    static constexpr int kAnswersPerWrite = 8;

    FuzzDevice(const std::uint8_t* data, std::size_t size) : data_(data, data + size) {}

    int Write(const std::uint8_t* report, int length) override
    {
        std::lock_guard lock(mutex_);
        last_.fill(0);
        std::copy_n(report, std::min(length, p::kReportLength), last_.begin());
        // A request may be answered by many data reports and a status.
        credits_ += kAnswersPerWrite;
        wake_.notify_all();
        return length;
    }

    int Read(std::uint8_t* buffer, int capacity, int timeoutMs) override
    {
        std::unique_lock lock(mutex_);
        if (!wake_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [this] { return credits_ > 0 || at_ >= data_.size(); })) {
            return 0;
        }
        if (at_ >= data_.size()) {
            return -1;
        }
        --credits_;
        return NextAnswerLocked(buffer, capacity);
    }

    int GetInputReport(std::uint8_t* buffer, int capacity) override
    {
        std::lock_guard lock(mutex_);
        if (at_ >= data_.size()) {
            return -1;
        }
        return NextAnswerLocked(buffer, capacity);
    }

    int InputReportLength() const override { return p::kReportLength; }
    std::uint16_t VendorId() const override { return 0x1209; }
    std::uint16_t ProductId() const override { return 0x0001; }

private:
    int NextAnswerLocked(std::uint8_t* buffer, int capacity)
    {
        const std::uint8_t control = data_[at_++];
        const int length = std::min<int>({control >> 1, p::kReportLength, capacity,
                                          static_cast<int>(data_.size() - at_)});
        std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(at_), length, buffer);
        at_ += static_cast<std::size_t>(length);
        if ((control & 1) != 0 && length > p::kSequence) {
            buffer[p::kOpcode] = last_[p::kOpcode];
            buffer[p::kTag] = last_[p::kTag];
            buffer[p::kSequence] = last_[p::kSequence];
        }
        return length;
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::uint8_t> data_;
    std::size_t at_ = 0;
    int credits_ = 1;
    std::array<std::uint8_t, p::kReportLength> last_{};
};

class FuzzTransport : public tovrik::HidTransport {
public:
    FuzzTransport(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::vector<tovrik::HidDeviceInfo> Enumerate() override
    {
        tovrik::HidDeviceInfo info;
        info.path = "fuzz";
        info.vendorId = 0x1209;
        info.productId = 0x0001;
        return {info};
    }
    std::unique_ptr<tovrik::HidDevice> Open(const std::string&) override
    {
        return std::make_unique<FuzzDevice>(data_, size_);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzTransport transport(data, size);
    tovrik::MessageQueue queue;
    tovrik::HidDeviceLibrary library(transport, queue);
    library.SetAnswerTimeout(std::chrono::milliseconds(5));
    if (library.rmDeviceStart(0x1209, 0x0001, 1, 0, 1124, 1125) == 0) {
        return 0;
    }
    std::array<std::uint8_t, 64> buffer{};
    library.rmBurnEEPROM(tovrik::kEepromRead, 0, buffer.data(), 40);
    library.rmBurnEEPROM(tovrik::kEepromWrite, 250, buffer.data(), 6);
    library.rmSetI2CDeviceAddress(0xA0);
    library.rmReadDataFromI2C(0, buffer.data(), 20);
    library.rmWriteDataIntoI2C(4, buffer.data(), 9);
    library.rmSetPin2GPO(0x00FF);
    const std::array<std::uint8_t, 8> report = {0x01, 0, 0, 0, 0, 0x10, 0x01, 0x20};
    library.rmSetReport(report.data(), static_cast<int>(report.size()));
    library.rmDeviceClose();
    return 0;
}
