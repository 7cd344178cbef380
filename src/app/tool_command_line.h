// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tovrik {

// The station window's first values, given with the names and meaning of the
// station command's options; the window takes them as texts its fields show.
struct StationArguments {
    std::string image;
    std::string vid;
    std::string pid;
    std::string serialFormat;
    std::string serialStart;
    std::string count;
    std::string log;
    std::string simulateUnits;
    std::string simulateParallel;
    std::string simDir;
    std::string simFailUnit;
    std::string simStayMs;
    std::string serialList;
    std::string ledger;
    bool sameSerial = false;
    bool reuseSerials = false;
    bool reprogram = false;
    // The station's simulated units take their modelled time.
    bool simRealTiming = false;
};

// What tovrik-config was asked to do on its command line.
struct ToolCommandLine {
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
    // The chip maker's device library to reach the chip through; empty uses our own.
    std::string vendorLibrary;
    // Open the station window (in the running tool when there is one).
    bool station = false;
    StationArguments stationArguments;
    // Set when the command line is wrong; the tool then says so and ends.
    std::string error;
};

// What a front end adds to the options every front end takes.
struct CommandLineDialect {
    // "/?" asks for help too.
    bool slashHelp = false;
    // --vendor-library PATH is taken.
    bool vendorLibrary = false;
    // Options of the window system, passed over as the toolkit takes them itself.
    std::vector<std::string> toolkitOptionsWithValue;
    std::vector<std::string> toolkitFlags;
};

// Reads the arguments after the program name.
ToolCommandLine ParseToolCommandLine(const std::vector<std::string>& arguments,
                                     const CommandLineDialect& dialect);

std::string ToolUsageText(const std::string& program, const CommandLineDialect& dialect);

}  // namespace tovrik
