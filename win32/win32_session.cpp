// SPDX-License-Identifier: MIT
#include "win32_session.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/demo_dlg.h"
#include "config/factory_image.h"
#include "device/sim/sim_transport.h"
#include "device/win32/win32_hid_transport.h"
#include "windows_api.h"

namespace tovrik::win32 {

namespace {

constexpr std::uintmax_t kLargestEeprom = 2048;

std::optional<int> ParseCode(const std::string& text)
{
    int value = -1;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < 0 || value > 255) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            line.help = true;
        } else if (arg == "--version" || arg == "-v") {
            line.version = true;
        } else if (arg == "--demo-features") {
            line.demoFeatures = true;
        } else if (arg == "--vendor-library" || arg.rfind("--vendor-library=", 0) == 0) {
            if (arg == "--vendor-library") {
                if (i + 1 >= arguments.size()) {
                    line.error = "--vendor-library needs the path of the DLL";
                    return line;
                }
                line.vendorLibrary = arguments[++i];
            } else {
                line.vendorLibrary = arg.substr(17);
            }
            if (line.vendorLibrary.empty()) {
                line.error = "--vendor-library needs the path of the DLL";
                return line;
            }
        } else if (arg == "--simulate") {
            line.simulate = true;
        } else if (arg.rfind("--simulate=", 0) == 0) {
            line.simulate = true;
            line.simulateFile = arg.substr(11);
            if (line.simulateFile.empty()) {
                line.error = "--simulate= needs a file name";
                return line;
            }
        } else if (arg == "--sim-code" || arg.rfind("--sim-code=", 0) == 0) {
            std::string value;
            if (arg == "--sim-code") {
                if (i + 1 >= arguments.size()) {
                    line.error = "--sim-code needs a number";
                    return line;
                }
                value = arguments[++i];
            } else {
                value = arg.substr(11);
            }
            line.simCode = ParseCode(value);
            if (!line.simCode) {
                line.error = "--sim-code takes a device code from 0 to 255, not '" + value + "'";
                return line;
            }
        } else if (arg == "--sim-timing" || arg.rfind("--sim-timing=", 0) == 0) {
            std::string value;
            if (arg == "--sim-timing") {
                value = i + 1 < arguments.size() ? arguments[++i] : std::string();
            } else {
                value = arg.substr(13);
            }
            if (value != "real" && value != "virtual") {
                line.error = "--sim-timing takes real or virtual, not '" + value + "'";
                return line;
            }
            line.simRealTiming = value == "real";
            line.simTimingGiven = true;
        } else {
            line.error = "unknown argument '" + arg + "'";
            return line;
        }
    }
    if (line.simCode && !line.simulate) {
        line.error = "--sim-code needs --simulate";
    }
    if (line.simTimingGiven && !line.simulate) {
        line.error = "--sim-timing needs --simulate";
    }
    if (!line.vendorLibrary.empty() && line.simulate) {
        line.error = "--vendor-library and --simulate exclude each other";
    }
    return line;
}

std::string UsageText()
{
    return "Usage: tovrik-config [--simulate[=FILE]] [--sim-code N] [--sim-timing real|virtual]\n"
           "       [--demo-features] [--vendor-library PATH]\n"
           "Configures a Tovrik USB audio controller chip through its boot EEPROM.\n"
           "\n"
           "  --simulate         run on the built-in simulated chip instead of a device\n"
           "  --simulate=FILE    the same, with the chip's EEPROM kept in FILE (a raw .bin\n"
           "                     image of 256 to 2048 bytes; made from the factory image\n"
           "                     when missing), so edits survive a restart\n"
           "  --sim-code N       the device code (0 to 255) the simulated chip reports\n"
           "  --sim-timing real  the simulated chip takes the time a real one would (USB\n"
           "                     frames, I2C bus, EEPROM write cycles); virtual, the\n"
           "                     default, answers at once\n"
           "  --demo-features    show the switch to the demo pages (raw EEPROM, I2C, GPIO\n"
           "                     and events, HID reports) for bring-up work\n"
           "  --vendor-library PATH\n"
           "                     reach the chip through the chip maker's device library,\n"
           "                     the DLL at PATH, of the same bitness as this program\n"
           "                     (see docs/hardware.md)\n"
           "  -h, --help         show this help and end\n"
           "  -v, --version      show the version and end\n"
           "\n"
           "Without --simulate the tool reaches the chip over USB HID.\n";
}

std::optional<SimulatedChipOptions> SimulatedChipFor(const CommandLine& line, std::string& error)
{
    SimulatedChipOptions options = FactoryChipOptions();
    if (line.simCode) {
        options.deviceCode = static_cast<std::uint8_t>(*line.simCode);
    }
    if (line.simulateFile.empty()) {
        return options;
    }
    const std::string& file = line.simulateFile;
    options.backingFile = file;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        return options;
    }
    if (!std::filesystem::is_regular_file(file, ec)) {
        error = file + ": not a regular file";
        return std::nullopt;
    }
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec) {
        error = file + ": " + ec.message();
        return std::nullopt;
    }
    if (size > kLargestEeprom) {
        error = file + ": " + std::to_string(size) +
                " bytes is larger than the largest EEPROM (2048 bytes)";
        return std::nullopt;
    }
    // The chip rewrites the whole EEPROM on every write, so it must hold the whole file.
    int eepromSize = 256;
    while (static_cast<std::uintmax_t>(eepromSize) < size) {
        eepromSize *= 2;
    }
    options.eepromSize = eepromSize;
    const auto permissions = std::filesystem::status(file, ec).permissions();
    if (ec || (permissions & std::filesystem::perms::owner_write) == std::filesystem::perms::none) {
        error = file + ": cannot be read and written";
        return std::nullopt;
    }
    return options;
}

Win32Session::Win32Session(const CommandLine& line, const SimulatedChipOptions& chipOptions,
                           Prompter& prompter, std::unique_ptr<VendorDeviceLibrary> vendor)
    : backingFile_(line.simulate ? chipOptions.backingFile : std::string()),
      chip_(line.simulate ? std::make_unique<SimulatedChip>(chipOptions) : nullptr),
      transport_(chip_ ? std::unique_ptr<HidTransport>(std::make_unique<SimTransport>(*chip_))
                       : MakeWin32HidTransport()),
      library_(*transport_, queue_),
      vendor_(std::move(vendor)),
      config_(vendor_ ? static_cast<DeviceLibrary&>(*vendor_) : library_, prompter),
      ui_(prompter, queue_),
      app_(ui_, vendor_ ? static_cast<DeviceLibrary&>(*vendor_) : library_, config_)
{
    config_.SetHidTransport(transport_.get());
    if (chip_) {
        chip_->SetRealTiming(line.simRealTiming);
    }
    // Says why a device with the ids could not be opened before the tool's own "cannot find".
    library_.SetOpenFailureHandler([this, &prompter](const HidDeviceInfo& info) {
        if (const std::string text = transport_->OpenFailureMessage(info.path); !text.empty()) {
            prompter.MessageBox(text);
        }
    });
}

Win32Session::~Win32Session()
{
    if (auto* sim = dynamic_cast<SimTransport*>(transport_.get())) {
        sim->SetDeviceChangeTarget(nullptr, kNoWindow);
    }
}

int Win32Session::Start()
{
    if (app_.InitInstance(true) == 0) {
        return 0;
    }
    // Plugging and unplugging the simulated chip is announced as the system announces devices.
    if (auto* sim = dynamic_cast<SimTransport*>(transport_.get())) {
        sim->SetDeviceChangeTarget(&queue_, app_.MainWindow()->Handle());
    }
    return 1;
}

int Win32Session::UseMainWindow(void* window)
{
    return vendor_ ? vendor_->Connect(queue_, window) : 1;
}

std::string Win32Session::WindowTitle()
{
    std::string title = app_.MainWindow() != nullptr ? app_.MainWindow()->Title() : std::string();
    if (!chip_) {
        return title;
    }
    title += " \u2014 simulated chip";
    if (const auto info = chip_->Enumeration()) {
        char ids[16];
        std::snprintf(ids, sizeof ids, " %04X:%04X", info->vendorId, info->productId);
        title += ids;
    } else {
        title += " (unplugged)";
    }
    if (!backingFile_.empty()) {
        title += ", EEPROM in " + std::filesystem::path(backingFile_).filename().string();
    }
    return title;
}

}  // namespace tovrik::win32
