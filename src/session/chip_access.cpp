// SPDX-License-Identifier: MIT
#include "session/chip_access.h"

#include <algorithm>
#include <array>

#include "config/eeprom_config.h"
#include "device/command_protocol.h"
#include "device/hid_device_library.h"
#include "device/sim/sim_transport.h"
#include "platform/prompter.h"
#include "session/platform_devices.h"

namespace tovrik {

InterfaceView::InterfaceView(HidTransport& inner, std::string path, std::mutex* lock)
    : inner_(inner), path_(std::move(path)), lock_(lock)
{
}

std::vector<HidDeviceInfo> InterfaceView::Enumerate()
{
    std::unique_lock<std::mutex> guard;
    if (lock_ != nullptr) {
        guard = std::unique_lock(*lock_);
    }
    std::vector<HidDeviceInfo> result;
    for (HidDeviceInfo& info : inner_.Enumerate()) {
        if (path_.empty() || info.path == path_) {
            result.push_back(std::move(info));
        }
    }
    return result;
}

std::unique_ptr<HidDevice> InterfaceView::Open(const std::string& path)
{
    if (!path_.empty() && path != path_) {
        return nullptr;
    }
    std::unique_lock<std::mutex> guard;
    if (lock_ != nullptr) {
        guard = std::unique_lock(*lock_);
    }
    return inner_.Open(path);
}

std::string InterfaceView::OpenFailureMessage(const std::string& path) const
{
    return inner_.OpenFailureMessage(path);
}

int ReadFittedEepromSize(HidTransport& transport, const std::string& path)
{
    std::unique_ptr<HidDevice> device = transport.Open(path);
    if (!device) {
        return 0;
    }
    std::array<std::uint8_t, protocol::kReportLength> report{};
    report[0] = protocol::kRegisterReportId;
    const int length = std::clamp(device->InputReportLength(), 1, protocol::kReportLength);
    if (device->GetInputReport(report.data(), length) <= protocol::kInfoEepromPages) {
        return 0;
    }
    const int size = report[protocol::kInfoEepromPages] * 256;
    return protocol::IsEepromSize(size) ? size : 0;
}

std::unique_ptr<ChipAccess> ChipAccess::Open(const ChipChoice& choice, std::string& error,
                                             const PlatformDevices& platform)
{
    if (!choice.simulate) {
        if (!choice.transport.empty() && !platform.HasTransport(choice.transport)) {
            error = "this build has no " + choice.transport + " transport";
            return nullptr;
        }
        return std::make_unique<ChipAccess>(platform.MakeTransport(choice.transport));
    }
    const std::optional<SimulatedChipOptions> options = SimulatedChipFor(choice, error);
    if (!options) {
        return nullptr;
    }
    auto access = std::make_unique<ChipAccess>(*options);
    if (const std::string why = access->chip_->BackingFileError(); !why.empty()) {
        error = why;
        return nullptr;
    }
    return access;
}

std::unique_ptr<ChipAccess> ChipAccess::Open(const ChipChoice& choice, std::string& error)
{
    return Open(choice, error, SystemDevices());
}

ChipAccess::ChipAccess(const SimulatedChipOptions& options)
    : chip_(std::make_unique<SimulatedChip>(options)),
      transport_(std::make_unique<SimTransport>(*chip_))
{
}

ChipAccess::ChipAccess(std::unique_ptr<HidTransport> transport) : transport_(std::move(transport))
{
}

ChipAccess::~ChipAccess()
{
    // The transport refers to the chip, so it goes first.
    transport_.reset();
}

std::vector<HidDeviceInfo> ChipAccess::Matching(std::uint16_t vendorId, std::uint16_t productId,
                                                const std::string& path)
{
    std::vector<HidDeviceInfo> found;
    for (HidDeviceInfo& info : transport_->Enumerate()) {
        if (path.empty() ? info.vendorId == vendorId && info.productId == productId
                         : info.path == path) {
            found.push_back(std::move(info));
        }
    }
    return found;
}

std::unique_ptr<DeviceLibrarySource> DeviceLibrarySource::ForVendorLibrary(
    const std::string& path, std::string& error, const PlatformDevices& platform)
{
    const LibraryAdapter* adapter = platform.Adapter();
    if (adapter == nullptr) {
        error = "this build cannot load the chip maker's device library";
        return nullptr;
    }
    auto source = std::make_unique<DeviceLibrarySource>();
    source->checked_ = adapter->load(path, error);
    if (!source->checked_) {
        return nullptr;
    }
    source->vendorPath_ = path;
    source->platform_ = &platform;
    return source;
}

std::unique_ptr<DeviceLibrarySource> DeviceLibrarySource::For(const ChipChoice& choice,
                                                              std::string& error)
{
    if (choice.vendorLibrary.empty()) {
        return std::make_unique<DeviceLibrarySource>();
    }
    return ForVendorLibrary(choice.vendorLibrary, error, SystemDevices());
}

std::unique_ptr<DeviceLibrary> DeviceLibrarySource::Make(HidTransport& view, MessageQueue& queue,
                                                         std::string& error)
{
    if (maker_) {
        std::unique_ptr<DeviceLibrary> library = maker_(view, queue);
        if (!library) {
            error = "the device library cannot be made";
        }
        return library;
    }
    if (vendorPath_.empty()) {
        return std::make_unique<HidDeviceLibrary>(view, queue);
    }
    const LibraryAdapter& adapter = *platform_->Adapter();
    std::unique_ptr<DeviceLibrary> library;
    {
        // The library checked at the start serves the first connection; later
        // ones load it again (the system keeps one copy of the module).
        std::lock_guard guard(mutex_);
        library = std::move(checked_);
    }
    if (!library) {
        library = adapter.load(vendorPath_, error);
        if (!library) {
            return nullptr;
        }
    }
    // Without its window the library opens no device, and the tool says it cannot find one.
    if (adapter.connect && !adapter.connect(*library, queue, nullptr)) {
        error = "the device library's messages cannot reach the tool";
        return nullptr;
    }
    return library;
}

Connection::Connection(HidTransport& transport, const HidDeviceInfo& info, std::mutex* lock,
                       DeviceLibrarySource* source)
    : info_(info), view_(transport, info.path, lock)
{
    DeviceLibrarySource own;
    library_ = (source != nullptr ? *source : own).Make(view_, queue_, openError_);
    if (!library_) {
        return;
    }
    if (library_->rmDeviceStart(info.vendorId, info.productId, 1, 0, 0, 0) == 0) {
        openError_ = "cannot open " + info.path;
        if (const std::string why = view_.OpenFailureMessage(info.path); !why.empty()) {
            openError_ += ": " + why;
        }
        return;
    }
    eepromSize_ = ReadFittedEepromSize(view_, info.path);
    if (eepromSize_ == 0) {
        openError_ = info.path + " does not tell its EEPROM size";
        library_->rmDeviceClose();
        return;
    }
    library_->rmSetEEPROMSize(1, eepromSize_);
    open_ = true;
}

Connection::~Connection()
{
    if (library_) {
        library_->rmDeviceClose();
    }
}

std::optional<int> Connection::DetectDeviceCode()
{
    if (!open_) {
        return std::nullopt;
    }
    SilentPrompter prompter;
    EepromConfig config(*library_, prompter);
    config.SetHidTransport(&view_);
    if (config.DetectDevice(info_.vendorId, info_.productId) == 0) {
        return std::nullopt;
    }
    return config.GetDeviceCode();
}

bool Connection::Read(std::vector<std::uint8_t>& bytes)
{
    return library_->rmBurnEEPROM(kEepromRead, 0, bytes.data(),
                                  static_cast<std::uint32_t>(bytes.size())) != 0;
}

bool Connection::Write(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint8_t> copy = bytes;
    return library_->rmBurnEEPROM(kEepromWrite, 0, copy.data(),
                                  static_cast<std::uint32_t>(copy.size())) != 0;
}

}  // namespace tovrik
