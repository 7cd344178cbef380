// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/hid_transport.h"
#include "session/chip_access.h"
#include "session/chip_choice.h"
#include "session/tool_session.h"

namespace CLI {
class App;
}

namespace tovrik::cli {

// How a device command chooses its chip, shared by every device command.
struct DeviceOptions {
    std::string vid;   // hexadecimal; empty: the simulated chip's 1209
    std::string pid;   // hexadecimal; empty: the simulated chip's 0001
    std::string path;  // one interface of several identical chips
    bool simulate = false;
    std::string simulateFile;  // EEPROM backing file of the simulated chip; empty: in memory
    std::optional<int> simCode;
    std::optional<int> simEepromSize;
    std::string simTiming = "virtual";
    // The chip maker's device library (a DLL) to reach the chip through
    // instead of our own; empty uses our own. Offered where the build can
    // load it.
    std::string vendorLibrary;
    // A library of functions instead (a stand-in of the chip maker's, in tests).
    ExternalLibrary external;
};

void AddDeviceOptions(CLI::App& command, DeviceOptions& options);

// The ids the options ask for; throws UsageError for a text that is not 1 to 4
// hexadecimal digits.
std::uint16_t RequestedVendorId(const DeviceOptions& options);
std::uint16_t RequestedProductId(const DeviceOptions& options);

// Strict reading of a hexadecimal id for the command line: 1 to 4 digits, an
// optional 0x in front; std::nullopt otherwise.
std::optional<std::uint16_t> ParseHexId(const std::string& text);

// A refused argument or input; the command ends with exit status 2.
struct UsageError {
    std::string reason;
};

// The chip the options choose. Throws UsageError for options that do not go
// together (the chip maker's library with a simulated chip or a path).
ChipChoice ChoiceFor(const DeviceOptions& options);

// The chips the options reach; throws UsageError when the choice cannot be
// used (a backing file of no EEPROM size, say).
std::unique_ptr<ChipAccess> OpenAccess(const DeviceOptions& options);

// The device library of each connection the options ask for: ours, or the
// chip maker's, loaded and checked once; throws UsageError when it cannot be used.
std::unique_ptr<DeviceLibrarySource> LibrarySource(const DeviceOptions& options);

// The interface the options choose among those `transport` lists: by path,
// else the first with the ids. Otherwise std::nullopt, with a line on `err`
// that names what was looked for and what was found instead.
std::optional<HidDeviceInfo> ChooseInterface(HidTransport& transport, const DeviceOptions& options,
                                             std::ostream& err);

std::string Hex4(std::uint16_t value);

}  // namespace tovrik::cli
