// SPDX-License-Identifier: MIT
#include "device_access.h"

#include <CLI/CLI.hpp>

#include <array>
#include <cstdio>
#include <filesystem>
#include <ostream>

#include "app/factory_image.h"
#include "device/command_protocol.h"
#include "device/no_device_transport.h"
#include "device/sim/sim_transport.h"
#include "platform/safe_file.h"

#ifdef TOVRIK_CLI_HIDAPI
#include "device/hidapi/hidapi_transport.h"
#endif
#ifdef TOVRIK_CLI_WIN32_HID
#include "device/win32/win32_hid_transport.h"
#endif

namespace tovrik::cli {

namespace {

std::unique_ptr<HidTransport> SystemTransport()
{
#if defined(TOVRIK_CLI_HIDAPI)
    return MakeHidapiTransport();
#elif defined(TOVRIK_CLI_WIN32_HID)
    return MakeWin32HidTransport();
#else
    return std::make_unique<NoDeviceTransport>();
#endif
}

std::string Describe(const HidDeviceInfo& info)
{
    std::string text = info.path + " " + Hex4(info.vendorId) + ":" + Hex4(info.productId);
    if (!info.manufacturer.empty() || !info.product.empty()) {
        text +=
            " (" + info.manufacturer + (info.manufacturer.empty() ? "" : " ") + info.product + ")";
    }
    return text;
}

}  // namespace

std::string Hex4(std::uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

std::optional<std::uint16_t> ParseHexId(const std::string& text)
{
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits = digits.substr(2);
    }
    if (digits.empty() || digits.size() > 4) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : digits) {
        const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                          : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                          : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                                      : -1;
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<std::uint16_t>(value);
}

namespace {

std::uint16_t RequestedId(const std::string& text, std::uint16_t fallback, const char* what)
{
    if (text.empty()) {
        return fallback;
    }
    const auto id = ParseHexId(text);
    if (!id) {
        throw UsageError{std::string("--") + what + " " + text +
                         ": give 1 to 4 hexadecimal digits"};
    }
    return *id;
}

}  // namespace

std::uint16_t RequestedVendorId(const DeviceOptions& options)
{
    return RequestedId(options.vid, SimulatedChip::kDefaultVendorId, "vid");
}

std::uint16_t RequestedProductId(const DeviceOptions& options)
{
    return RequestedId(options.pid, SimulatedChip::kDefaultProductId, "pid");
}

void AddDeviceOptions(CLI::App& command, DeviceOptions& options)
{
    command.add_option("--vid", options.vid, "vendor id, hexadecimal (default 1209)");
    command.add_option("--pid", options.pid, "product id, hexadecimal (default 0001)");
    command.add_option("--path", options.path,
                       "the interface at this path (one of several identical chips)");
    // A flag, so that only --simulate=FILE names a file and a following
    // argument of the command is never taken for one.
    command.add_flag("--simulate{}", options.simulateFile,
                     "use a simulated chip; --simulate=FILE keeps its EEPROM in FILE");
    command
        .add_option("--sim-code", options.simCode,
                    "device code the simulated chip reports (default 23)")
        ->check(CLI::Range(0, 255));
    command
        .add_option("--sim-eeprom-size", options.simEepromSize,
                    "fitted EEPROM of the simulated chip: 256, 512, 1024 or 2048")
        ->check(CLI::IsMember({256, 512, 1024, 2048}));
    command
        .add_option("--sim-timing", options.simTiming,
                    "virtual (default): nothing waits; real: the simulated chip takes its "
                    "modelled time")
        ->check(CLI::IsMember({"virtual", "real"}));
#ifdef _WIN32
    command.add_option("--vendor-library", options.vendorLibrary,
                       "reach the chip through the chip maker's device library, the DLL at "
                       "this path (see docs/hardware.md)");
#endif
    command.callback(
        [&command, &options]() { options.simulate = command.count("--simulate") > 0; });
}

SimulatedChipOptions SimulatedChipFromOptions(const DeviceOptions& options)
{
    SimulatedChipOptions chip = FactoryChipOptions();
    if (options.simCode) {
        chip.deviceCode = static_cast<std::uint8_t>(*options.simCode);
    }
    chip.realTiming = options.simTiming == "real";
    if (!options.simulateFile.empty() && FileExists(options.simulateFile)) {
        const std::string& file = options.simulateFile;
        std::vector<std::uint8_t> bytes;
        std::string error;
        if (!ReadFileBounded(file, kMaxImageFileBytes, bytes, error)) {
            throw UsageError{error};
        }
        // A file of another size (cut short, say) is no EEPROM image; taking it
        // as an erased EEPROM would lose it without a word.
        if (!protocol::IsEepromSize(static_cast<int>(bytes.size()))) {
            throw UsageError{file + ": " + std::to_string(bytes.size()) +
                             " bytes is not the size of an EEPROM image (256, 512, 1024 or 2048 "
                             "bytes)"};
        }
        if (options.simEepromSize && *options.simEepromSize != static_cast<int>(bytes.size())) {
            throw UsageError{"--sim-eeprom-size " + std::to_string(*options.simEepromSize) + ": " +
                             file + " holds " + std::to_string(bytes.size()) + " bytes"};
        }
        chip.eepromSize = static_cast<int>(bytes.size());
    } else if (options.simEepromSize) {
        chip.eepromSize = *options.simEepromSize;
    }
    chip.backingFile = options.simulateFile;
    return chip;
}

DeviceAccess::DeviceAccess(const DeviceOptions& options)
{
    if (options.simulate) {
        chip_ = std::make_unique<SimulatedChip>(SimulatedChipFromOptions(options));
        if (const std::string error = chip_->BackingFileError(); !error.empty()) {
            throw UsageError{error};
        }
        transport_ = std::make_unique<SimTransport>(*chip_);
    } else {
        transport_ = SystemTransport();
    }
}

DeviceAccess::~DeviceAccess() = default;

std::optional<HidDeviceInfo> DeviceAccess::Choose(const DeviceOptions& options, std::ostream& err)
{
    const std::vector<HidDeviceInfo> found = transport_->Enumerate();
    std::string wanted;
    if (!options.path.empty()) {
        for (const HidDeviceInfo& info : found) {
            if (info.path == options.path) {
                return info;
            }
        }
        wanted = "no interface at " + options.path;
    } else {
        const std::uint16_t vid = RequestedVendorId(options);
        const std::uint16_t pid = RequestedProductId(options);
        for (const HidDeviceInfo& info : found) {
            if (info.vendorId == vid && info.productId == pid) {
                return info;
            }
        }
        wanted = "no chip with the ids " + Hex4(vid) + ":" + Hex4(pid);
    }
    err << "tovrik-cli: " << wanted << "; ";
    if (found.empty()) {
        err << "found no HID interface at all\n";
    } else {
        err << "found instead:";
        for (std::size_t i = 0; i < found.size(); ++i) {
            err << (i == 0 ? " " : ", ") << Describe(found[i]);
        }
        err << '\n';
    }
    return std::nullopt;
}

SinglePathTransport::SinglePathTransport(HidTransport& inner, std::string path, std::mutex* lock)
    : inner_(inner), path_(std::move(path)), lock_(lock)
{
}

std::vector<HidDeviceInfo> SinglePathTransport::Enumerate()
{
    std::unique_lock<std::mutex> guard;
    if (lock_ != nullptr) {
        guard = std::unique_lock(*lock_);
    }
    std::vector<HidDeviceInfo> result;
    for (HidDeviceInfo& info : inner_.Enumerate()) {
        if (info.path == path_) {
            result.push_back(std::move(info));
        }
    }
    return result;
}

std::unique_ptr<HidDevice> SinglePathTransport::Open(const std::string& path)
{
    if (path != path_) {
        return nullptr;
    }
    std::unique_lock<std::mutex> guard;
    if (lock_ != nullptr) {
        guard = std::unique_lock(*lock_);
    }
    return inner_.Open(path);
}

std::string SinglePathTransport::OpenFailureMessage(const std::string& path) const
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

std::unique_ptr<DeviceLibrary> MakeDeviceLibrary(const DeviceOptions& options, HidTransport& view,
                                                 MessageQueue& queue)
{
    if (options.makeLibrary) {
        return options.makeLibrary(view, queue);
    }
    return std::make_unique<HidDeviceLibrary>(view, queue);
}

Connection::Connection(HidTransport& transport, const HidDeviceInfo& info, std::mutex* lock,
                       const DeviceOptions* options)
    : info_(info),
      view_(transport, info.path, lock),
      library_(options != nullptr ? MakeDeviceLibrary(*options, view_, queue_)
                                  : std::make_unique<HidDeviceLibrary>(view_, queue_))
{
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
    library_->rmDeviceClose();
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

}  // namespace tovrik::cli
