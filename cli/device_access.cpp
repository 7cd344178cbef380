// SPDX-License-Identifier: MIT
#include "device_access.h"

#include <CLI/CLI.hpp>

#include <array>
#include <cstdio>
#include <filesystem>
#include <ostream>

#include "session/platform_devices.h"

namespace tovrik::cli {

namespace {

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
    if (SystemDevices().Adapter() != nullptr) {
        command.add_option("--vendor-library", options.vendorLibrary,
                           "reach the chip through the chip maker's device library, the DLL at "
                           "this path (see docs/hardware.md)");
    }
    command.callback(
        [&command, &options]() { options.simulate = command.count("--simulate") > 0; });
}

ChipChoice ChoiceFor(const DeviceOptions& options)
{
    ChipChoice choice;
    choice.simulate = options.simulate;
    choice.backingFile = options.simulateFile;
    choice.deviceCode = options.simCode;
    choice.eepromSize = options.simEepromSize;
    choice.realTiming = options.simTiming == "real";
    choice.path = options.path;
    choice.vendorLibrary = options.vendorLibrary;
    if (!options.vendorLibrary.empty()) {
        if (options.simulate) {
            throw UsageError{"--vendor-library and --simulate exclude each other"};
        }
        if (!options.path.empty()) {
            throw UsageError{
                "--vendor-library opens the first chip with the ids; --path cannot "
                "choose one of several"};
        }
    }
    return choice;
}

std::unique_ptr<ChipAccess> OpenAccess(const DeviceOptions& options)
{
    std::string error;
    std::unique_ptr<ChipAccess> access = ChipAccess::Open(ChoiceFor(options), error);
    if (!access) {
        throw UsageError{error};
    }
    return access;
}

std::unique_ptr<DeviceLibrarySource> LibrarySource(const DeviceOptions& options)
{
    if (options.external.make) {
        return std::make_unique<DeviceLibrarySource>(options.external.make);
    }
    std::string error;
    std::unique_ptr<DeviceLibrarySource> source =
        DeviceLibrarySource::For(ChoiceFor(options), error);
    if (!source) {
        throw UsageError{error};
    }
    return source;
}

std::optional<HidDeviceInfo> ChooseInterface(HidTransport& transport, const DeviceOptions& options,
                                             std::ostream& err)
{
    const std::vector<HidDeviceInfo> found = transport.Enumerate();
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

}  // namespace tovrik::cli
