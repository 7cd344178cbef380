// SPDX-License-Identifier: MIT
#include "command_line.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace tovrik::gui {

namespace {

// The toolkit's own options that take a value, and those that do not.
constexpr std::array<const char*, 5> kToolkitOptionsWithValue = {"-platform", "-style", "-display",
                                                                 "-geometry", "-qwindowgeometry"};
constexpr std::array<const char*, 2> kToolkitFlags = {"-reverse", "-sync"};

bool IsOneOf(const std::string& text, const auto& names)
{
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return text == n; });
}

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
        if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--version" || arg == "-v") {
            line.version = true;
        } else if (arg == "--demo-features") {
            line.demoFeatures = true;
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
        } else if (IsOneOf(arg, kToolkitOptionsWithValue)) {
            ++i;
        } else if (IsOneOf(arg, kToolkitFlags)) {
            continue;
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
    return line;
}

std::string UsageText(const std::string& program)
{
    return "Usage: " + program +
           " [--simulate[=FILE]] [--sim-code N] [--sim-timing real|virtual]\n"
           "       [--demo-features]\n"
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
           "  -h, --help         show this help and end\n"
           "  -v, --version      show the version and end\n"
           "\n"
           "Without --simulate the tool reaches the chip over USB HID.\n";
}

}  // namespace tovrik::gui
