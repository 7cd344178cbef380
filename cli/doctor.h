// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace tovrik {
class HidTransport;
}

namespace tovrik::cli {

class CommandList;

// Adds `doctor` with its options --vid and --pid.
void RegisterDoctorCommand(CLI::App& app, CommandList& commands);

struct DoctorOptions {
    std::string vid;
    std::string pid;
    // Where udev reads rules from, and the USB devices in sysfs; tests point
    // them elsewhere.
    std::vector<std::string> rulesFolders = {"/etc/udev/rules.d", "/run/udev/rules.d",
                                             "/lib/udev/rules.d", "/usr/lib/udev/rules.d"};
    std::string usbDevicesFolder = "/sys/bus/usb/devices";
    // The system's HID interfaces when null.
    HidTransport* transport = nullptr;
};

// Says whether a chip with the ids is on the bus, whether this user can open
// its hidraw node (and why not), and whether a udev rule gives access to these
// ids, printing the rule to install when none does. Exit status 0 when the
// chip can be used, 3 otherwise, 2 for bad ids.
int RunDoctor(const DoctorOptions& options, std::ostream& out, std::ostream& err);

// The udev rule that lets the user at the seat open chips with these ids.
std::string UdevRule(const std::string& vid, const std::string& pid);

}  // namespace tovrik::cli
