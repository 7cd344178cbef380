// SPDX-License-Identifier: MIT
#include "app/tool_command_line.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tovrik {

namespace {

bool IsOneOf(const std::string& text, const std::vector<std::string>& names)
{
    return std::find(names.begin(), names.end(), text) != names.end();
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

// The value of `--name VALUE` or `--name=VALUE` at arguments[i]; nullopt when
// the argument is another option. `missing` is set when no value follows.
std::optional<std::string> OptionValue(const std::vector<std::string>& arguments, std::size_t& i,
                                       const std::string& name, bool& missing)
{
    const std::string& arg = arguments[i];
    if (arg == name) {
        if (i + 1 >= arguments.size()) {
            missing = true;
            return std::string();
        }
        return arguments[++i];
    }
    if (arg.rfind(name + "=", 0) == 0) {
        return arg.substr(name.size() + 1);
    }
    return std::nullopt;
}

// A whole number from `least` to `most`, written in decimal.
bool IsNumberWithin(const std::string& text, long long least, long long most)
{
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end && value >= least && value <= most;
}

bool IsHexId(const std::string& text)
{
    return !text.empty() && text.size() <= 4 &&
           std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(c) != 0; });
}

struct StationOption {
    const char* name;
    std::string StationArguments::*field;
    // A decimal number in this range; most == 0: any text (a hexadecimal id when hex).
    long long least = 0;
    long long most = 0;
    bool hex = false;
};

// The station command's options, by the same names and with the same ranges.
const std::vector<StationOption>& StationOptions()
{
    static const std::vector<StationOption> options = {
        {"--image", &StationArguments::image},
        {"--vid", &StationArguments::vid, 0, 0, true},
        {"--pid", &StationArguments::pid, 0, 0, true},
        {"--serial-format", &StationArguments::serialFormat},
        {"--serial-start", &StationArguments::serialStart, 0, 999999999999LL},
        {"--count", &StationArguments::count, 1, 1000000},
        {"--log", &StationArguments::log},
        {"--simulate-units", &StationArguments::simulateUnits, 1, 100000},
        {"--simulate-parallel", &StationArguments::simulateParallel, 1, 64},
        {"--sim-dir", &StationArguments::simDir},
        {"--sim-fail-unit", &StationArguments::simFailUnit, 1, 1000000},
        {"--sim-stay-ms", &StationArguments::simStayMs, 0, 600000},
        {"--serial-list", &StationArguments::serialList},
        {"--ledger", &StationArguments::ledger},
    };
    return options;
}

// Takes a station option at arguments[i]; false when it is none. `error` is
// set for a missing or wrong value.
bool TakeStationOption(const std::vector<std::string>& arguments, std::size_t& i,
                       StationArguments& station, std::string& error)
{
    for (const StationOption& option : StationOptions()) {
        bool missing = false;
        const auto value = OptionValue(arguments, i, option.name, missing);
        if (!value) {
            continue;
        }
        if (missing || value->empty()) {
            error = std::string(option.name) + " needs a value";
        } else if (option.hex && !IsHexId(*value)) {
            error = std::string(option.name) + " takes up to four hexadecimal digits, not '" +
                    *value + "'";
        } else if (option.most != 0 && !IsNumberWithin(*value, option.least, option.most)) {
            error = std::string(option.name) + " takes a number from " +
                    std::to_string(option.least) + " to " + std::to_string(option.most) +
                    ", not '" + *value + "'";
        }
        station.*option.field = *value;
        return true;
    }
    return false;
}

}  // namespace

ToolCommandLine ParseToolCommandLine(const std::vector<std::string>& arguments,
                                     const CommandLineDialect& dialect)
{
    ToolCommandLine line;
    std::string stationOptionGiven;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        bool missing = false;
        if (arg == "--help" || arg == "-h" || (dialect.slashHelp && arg == "/?")) {
            line.help = true;
        } else if (arg == "--version" || arg == "-v") {
            line.version = true;
        } else if (arg == "--demo-features") {
            line.demoFeatures = true;
        } else if (arg == "--station") {
            line.station = true;
        } else if (arg == "--same-serial" || arg == "--reuse-serials" || arg == "--reprogram") {
            StationArguments& a = line.stationArguments;
            (arg == "--same-serial"     ? a.sameSerial
             : arg == "--reuse-serials" ? a.reuseSerials
                                        : a.reprogram) = true;
            stationOptionGiven = arg;
        } else if (TakeStationOption(arguments, i, line.stationArguments, line.error)) {
            if (!line.error.empty()) {
                return line;
            }
            stationOptionGiven = arg.substr(0, arg.find('='));
        } else if (arg == "--simulate") {
            line.simulate = true;
        } else if (arg.rfind("--simulate=", 0) == 0) {
            line.simulate = true;
            line.simulateFile = arg.substr(11);
            if (line.simulateFile.empty()) {
                line.error = "--simulate= needs a file name";
                return line;
            }
        } else if (const auto code = OptionValue(arguments, i, "--sim-code", missing)) {
            if (missing) {
                line.error = "--sim-code needs a number";
                return line;
            }
            line.simCode = ParseCode(*code);
            if (!line.simCode) {
                line.error = "--sim-code takes a device code from 0 to 255, not '" + *code + "'";
                return line;
            }
        } else if (const auto timing = OptionValue(arguments, i, "--sim-timing", missing)) {
            if (*timing != "real" && *timing != "virtual") {
                line.error = "--sim-timing takes real or virtual, not '" + *timing + "'";
                return line;
            }
            line.simRealTiming = *timing == "real";
            line.stationArguments.simRealTiming = line.simRealTiming;
            line.simTimingGiven = true;
        } else if (const auto dll = dialect.vendorLibrary
                                        ? OptionValue(arguments, i, "--vendor-library", missing)
                                        : std::nullopt) {
            if (dll->empty()) {
                line.error = "--vendor-library needs the path of the DLL";
                return line;
            }
            line.vendorLibrary = *dll;
        } else if (IsOneOf(arg, dialect.toolkitOptionsWithValue)) {
            ++i;
        } else if (IsOneOf(arg, dialect.toolkitFlags)) {
            continue;
        } else {
            line.error = "unknown argument '" + arg + "'";
            return line;
        }
    }
    if (line.simCode && !line.simulate) {
        line.error = "--sim-code needs --simulate";
    }
    if (!stationOptionGiven.empty() && !line.station) {
        line.error = stationOptionGiven + " needs --station";
    }
    // With --station the timing is that of the station's simulated units.
    if (line.simTimingGiven && !line.simulate && !line.station) {
        line.error = "--sim-timing needs --simulate";
    }
    if (!line.vendorLibrary.empty() && line.simulate) {
        line.error = "--vendor-library and --simulate exclude each other";
    }
    return line;
}

std::string ToolUsageText(const std::string& program, const CommandLineDialect& dialect)
{
    std::string text =
        "Usage: " + program + " [--simulate[=FILE]] [--sim-code N] [--sim-timing real|virtual]\n";
    text += dialect.vendorLibrary ? "       [--demo-features] [--vendor-library PATH]\n"
                                  : "       [--demo-features]\n";
    text += "       [--station [--image FILE --log FILE ...]]\n";
    text +=
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
        "  --station          open the station window, which programs every blank chip\n"
        "                     that appears with a golden image and its own serial; in\n"
        "                     a running tool it opens there. It takes the options of\n"
        "                     tovrik-cli station as its first values: --image, --vid,\n"
        "                     --pid, --serial-format, --serial-start, --count, --log,\n"
        "                     --serial-list, --same-serial, --reuse-serials, --ledger,\n"
        "                     --reprogram, --simulate-units, --simulate-parallel,\n"
        "                     --sim-dir, --sim-fail-unit, --sim-stay-ms, --sim-timing\n"
        "  --demo-features    show the switch to the demo pages (raw EEPROM, I2C, GPIO\n"
        "                     and events, HID reports) for bring-up work\n";
    if (dialect.vendorLibrary) {
        text +=
            "  --vendor-library PATH\n"
            "                     reach the chip through the chip maker's device library,\n"
            "                     the DLL at PATH, of the same bitness as this program\n"
            "                     (see docs/hardware.md)\n";
    }
    text +=
        "  -h, --help         show this help and end\n"
        "  -v, --version      show the version and end\n"
        "\n"
        "Without --simulate the tool reaches the chip over USB HID.\n";
    return text;
}

}  // namespace tovrik
