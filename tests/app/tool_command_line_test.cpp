// SPDX-License-Identifier: MIT
#include "app/tool_command_line.h"

#include <gtest/gtest.h>

namespace tovrik {
namespace {

ToolCommandLine Parse(const std::vector<std::string>& arguments)
{
    return ParseToolCommandLine(arguments, CommandLineDialect{});
}

TEST(ToolCommandLineTest, StationTakesTheStationCommandsOptionsAsTheWindowsFirstValues)
{
    const ToolCommandLine line = Parse({"--station",
                                        "--image",
                                        "g.bin",
                                        "--log=s.csv",
                                        "--serial-format",
                                        "TK-%04d",
                                        "--serial-start",
                                        "100",
                                        "--count",
                                        "5",
                                        "--vid",
                                        "abCD",
                                        "--pid",
                                        "1",
                                        "--simulate-units",
                                        "8",
                                        "--simulate-parallel",
                                        "4",
                                        "--sim-dir",
                                        "d",
                                        "--sim-fail-unit",
                                        "3",
                                        "--sim-timing",
                                        "real"});
    ASSERT_EQ(line.error, "");
    EXPECT_TRUE(line.station);
    const StationArguments& a = line.stationArguments;
    EXPECT_EQ(a.image, "g.bin");
    EXPECT_EQ(a.log, "s.csv");
    EXPECT_EQ(a.serialFormat, "TK-%04d");
    EXPECT_EQ(a.serialStart, "100");
    EXPECT_EQ(a.count, "5");
    EXPECT_EQ(a.vid, "abCD");
    EXPECT_EQ(a.pid, "1");
    EXPECT_EQ(a.simulateUnits, "8");
    EXPECT_EQ(a.simulateParallel, "4");
    EXPECT_EQ(a.simDir, "d");
    EXPECT_EQ(a.simFailUnit, "3");
    EXPECT_FALSE(a.reprogram);
    // Without --simulate the timing is the station's simulated units'.
    EXPECT_TRUE(a.simRealTiming);
    EXPECT_FALSE(line.simulate);
}

TEST(ToolCommandLineTest, StationOptionsAreCheckedAsTheCommandChecksThem)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
        {{"--image", "g.bin"}, "--image needs --station"},
        {{"--station", "--count", "0"}, "--count takes a number from 1 to 1000000, not '0'"},
        {{"--station", "--simulate-parallel", "65"},
         "--simulate-parallel takes a number from 1 to 64, not '65'"},
        {{"--station", "--serial-start", "1000000000000"},
         "--serial-start takes a number from 0 to 999999999999, not '1000000000000'"},
        {{"--station", "--vid", "12345"}, "--vid takes up to four hexadecimal digits, not '12345'"},
        {{"--station", "--log"}, "--log needs a value"},
        {{"--sim-timing", "real"}, "--sim-timing needs --simulate"},
    };
    for (const auto& [arguments, error] : wrong) {
        EXPECT_EQ(Parse(arguments).error, error) << arguments[0];
    }
    const ToolCommandLine flags = Parse({"--station", "--serial-list", "l.txt", "--same-serial",
                                         "--reprogram", "--ledger", "x", "--sim-stay-ms", "0"});
    ASSERT_EQ(flags.error, "");
    EXPECT_EQ(flags.stationArguments.serialList, "l.txt");
    EXPECT_EQ(flags.stationArguments.ledger, "x");
    EXPECT_EQ(flags.stationArguments.simStayMs, "0");
    EXPECT_TRUE(flags.stationArguments.sameSerial);
    EXPECT_TRUE(flags.stationArguments.reprogram);
    EXPECT_FALSE(flags.stationArguments.reuseSerials);
    EXPECT_EQ(Parse({"--reprogram"}).error, "--reprogram needs --station");
    // --simulate alone is the window's own chip, not a station option.
    EXPECT_EQ(Parse({"--simulate", "--station", "--simulate-units", "2"}).error, "");
}

}  // namespace
}  // namespace tovrik
