// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tovrik::gui {

// What tovrik-config was asked to do on its command line.
struct CommandLine {
    bool help = false;
    bool version = false;
    // Run on the simulated chip instead of real hardware.
    bool simulate = false;
    // The file that backs the simulated chip's EEPROM; empty keeps it in memory.
    std::string simulateFile;
    // The device code the simulated chip reports; its factory code when unset.
    std::optional<int> simCode;
    // The simulated chip takes its modelled time instead of answering at once.
    bool simRealTiming = false;
    bool simTimingGiven = false;
    // Show the otherwise hidden switch between configuration and demo pages.
    bool demoFeatures = false;
    // Set when the command line is wrong; the tool then says so and ends.
    std::string error;
};

// Reads the arguments after the program name. Options of the window system
// (-platform NAME, -style NAME, -display NAME, -geometry GEOMETRY, -reverse) are
// passed over, as the toolkit takes them itself.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

std::string UsageText(const std::string& program);

}  // namespace tovrik::gui
