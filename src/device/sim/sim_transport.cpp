// SPDX-License-Identifier: MIT
#include "device/sim/sim_transport.h"

#include <atomic>
#include <string>

namespace tovrik {

namespace {

class SimHidDevice : public HidDevice {
public:
    SimHidDevice(SimulatedChip& chip, std::uint64_t session, std::uint16_t vendorId,
                 std::uint16_t productId)
        : chip_(chip), session_(session), vendorId_(vendorId), productId_(productId)
    {
    }

    int Write(const std::uint8_t* report, int length) override
    {
        return chip_.HostWrite(session_, report, length);
    }

    int Read(std::uint8_t* buffer, int capacity, int timeoutMs) override
    {
        return chip_.HostRead(session_, buffer, capacity, timeoutMs, &woken_);
    }

    void WakeReader() override
    {
        woken_ = true;
        chip_.WakeHostReaders();
    }

    int GetInputReport(std::uint8_t* buffer, int capacity) override
    {
        return chip_.HostGetInputReport(session_, buffer, capacity);
    }

    int InputReportLength() const override { return protocol::kReportLength; }
    std::uint16_t VendorId() const override { return vendorId_; }
    std::uint16_t ProductId() const override { return productId_; }

private:
    SimulatedChip& chip_;
    const std::uint64_t session_;
    const std::uint16_t vendorId_;
    const std::uint16_t productId_;
    std::atomic<bool> woken_{false};
};

}  // namespace

SimTransport::SimTransport(SimulatedChip& chip)
{
    AddChip(chip);
}

SimTransport::~SimTransport()
{
    for (const Attached& a : chips_) {
        a.chip->RemovePlugListener(a.listenerId);
    }
}

void SimTransport::AddChip(SimulatedChip& chip)
{
    const int id = chip.AddPlugListener([this](bool plugged) { OnPlug(plugged); });
    chips_.push_back(Attached{&chip, id});
}

std::vector<HidDeviceInfo> SimTransport::Enumerate()
{
    std::vector<HidDeviceInfo> devices;
    for (std::size_t i = 0; i < chips_.size(); ++i) {
        if (auto info = chips_[i].chip->Enumeration()) {
            info->path = "sim:" + std::to_string(i);
            devices.push_back(std::move(*info));
        }
    }
    return devices;
}

std::unique_ptr<HidDevice> SimTransport::Open(const std::string& path)
{
    for (std::size_t i = 0; i < chips_.size(); ++i) {
        if (path != "sim:" + std::to_string(i)) {
            continue;
        }
        SimulatedChip& chip = *chips_[i].chip;
        const auto session = chip.OpenSession();
        if (!session) {
            return nullptr;
        }
        return std::make_unique<SimHidDevice>(chip, session->id, session->vendorId,
                                              session->productId);
    }
    return nullptr;
}

void SimTransport::SetDeviceChangeTarget(MessageQueue* queue, WindowHandle window)
{
    std::lock_guard lock(targetMutex_);
    queue_ = queue;
    window_ = window;
}

void SimTransport::OnPlug(bool plugged)
{
    std::lock_guard lock(targetMutex_);
    if (queue_ != nullptr) {
        queue_->Post(window_, WM_DEVICECHANGE, plugged ? kDeviceArrival : kDeviceRemoveComplete, 0);
    }
}

}  // namespace tovrik
