// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/demo_app.h"
#include "config/eeprom_config.h"
#include "device/hid_device_library.h"
#include "device/hid_transport.h"
#include "device/sim/simulated_chip.h"
#include "device/win32/vendor_device_library.h"
#include "platform/dialog.h"
#include "platform/message_queue.h"

namespace tovrik::win32 {

// What tovrik-config.exe was asked to do on its command line.
struct CommandLine {
    bool help = false;
    bool version = false;
    bool simulate = false;
    // The file that backs the simulated chip's EEPROM; empty keeps it in memory.
    std::string simulateFile;
    std::optional<int> simCode;
    // The simulated chip takes its modelled time instead of answering at once.
    bool simRealTiming = false;
    bool simTimingGiven = false;
    bool demoFeatures = false;
    // The chip maker's device library to reach the chip through; empty uses our own.
    std::string vendorLibrary;
    // Set when the command line is wrong; the tool then says so and ends.
    std::string error;
};

// Reads the arguments after the program name: the options of the tool on
// every system (--simulate[=FILE], --sim-code N, --sim-timing real|virtual,
// --demo-features, --help, --version) and --vendor-library PATH.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);
std::string UsageText();

// The chip options for a simulated chip backed by `file`: the factory image
// and an EEPROM as large as an existing file needs (256 to 2048 bytes).
// Sets `error` and returns nothing for a file that cannot be an EEPROM image.
std::optional<SimulatedChipOptions> SimulatedChipFor(const CommandLine& line, std::string& error);

// The whole tool without its windows: the simulated chip or the Win32 HID
// transport, the library, the configuration image and the application object.
class Win32Session {
public:
    // With `vendor` the tool reaches the chip through that library instead of our own.
    Win32Session(const CommandLine& line, const SimulatedChipOptions& chipOptions,
                 Prompter& prompter, std::unique_ptr<VendorDeviceLibrary> vendor = nullptr);
    ~Win32Session();
    Win32Session(const Win32Session&) = delete;
    Win32Session& operator=(const Win32Session&) = delete;

    // Start-up of the application object with the instance lock; 0 when another instance runs.
    int Start();
    // The main window's title, plus what the tool runs on when that is the simulated chip.
    std::string WindowTitle();
    CDemoDlg* MainWindow() { return app_.MainWindow(); }
    // Gives the chip maker's library, if used, the main window (an HWND) for its messages.
    int UseMainWindow(void* window);

private:
    std::string backingFile_;
    MessageQueue queue_;
    std::unique_ptr<SimulatedChip> chip_;
    std::unique_ptr<HidTransport> transport_;
    HidDeviceLibrary library_;
    std::unique_ptr<VendorDeviceLibrary> vendor_;
    EepromConfig config_;
    UiContext ui_;
    CDemoApp app_;
};

}  // namespace tovrik::win32
