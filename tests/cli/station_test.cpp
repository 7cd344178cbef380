// SPDX-License-Identifier: MIT
#include "cli/station.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <sstream>
#include <thread>

#include "app/factory_image.h"
#include "cli/device_access.h"
#include "cli/exit_codes.h"
#include "cli/settings_view.h"
#include "config/eeprom_config.h"
#include "device/sim/simulated_device.h"
#include "platform/recording_prompter.h"
#include "platform/safe_file.h"
#include "temp_folder.h"

namespace tovrik::cli {
namespace {

using test::ReadBytes;
using test::TempFolder;

std::string SerialOf(const std::vector<std::uint8_t>& eeprom)
{
    SimulatedChipOptions options;
    options.initialEeprom = eeprom;
    SimulatedDevice device(options);
    device.Start();
    RecordingPrompter prompter;
    EepromConfig config(device.Library(), prompter);
    if (config.LoadFromEeprom() == 0) {
        return "(no image)";
    }
    std::string serial;
    config.GetString(2, serial);
    return serial;
}

std::vector<std::string> Lines(const std::string& path)
{
    std::istringstream in(
        std::string(reinterpret_cast<const char*>(ReadBytes(path).data()), ReadBytes(path).size()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(StationTest, TenUnitsOneFailingEachWithItsOwnSerial)
{
    TempFolder folder;
    test::WriteBytes(folder / "golden.bin", FactoryEepromImage());
    StationOptions options;
    options.image = folder / "golden.bin";
    options.serialFormat = "TK23-%06d";
    options.serialStart = 41;
    options.log = folder / "log.csv";
    options.simulateUnits = 10;
    options.simulateParallel = 3;
    options.simDir = folder / "units";
    options.simFailUnit = 4;
    std::ostringstream out;
    std::ostringstream err;
    std::atomic<bool> stop{false};

    EXPECT_EQ(RunStation(options, out, err, &stop), kExitTransfer) << err.str();

    const std::vector<std::string> log = Lines(options.log);
    ASSERT_EQ(log.size(), 11u) << out.str();
    EXPECT_EQ(log[0], "time,path,vid,pid,serial,result,ms");
    std::set<std::string> serialsLogged;
    for (std::size_t i = 1; i < log.size(); ++i) {
        const bool failedUnit = log[i].find(",sim:unit-4,") != std::string::npos;
        EXPECT_EQ(log[i].find(failedUnit ? ",failed: write," : ",ok,") != std::string::npos, true)
            << log[i];
        serialsLogged.insert(log[i].substr(log[i].find("TK23-"), 11));
    }
    EXPECT_EQ(serialsLogged.size(), 10u) << "a serial number was used twice";

    const std::vector<std::uint8_t> golden = FactoryEepromImage();
    for (int unit = 1; unit <= 10; ++unit) {
        const auto eeprom = ReadBytes(folder / ("units/unit-" + std::to_string(unit) + ".bin"));
        char serial[24];
        std::snprintf(serial, sizeof serial, "TK23-%06d", 40 + unit);
        if (unit == 4) {
            EXPECT_EQ(eeprom, std::vector<std::uint8_t>(256, 0xFF))
                << "the failed unit was written";
            EXPECT_NE(serialsLogged.count(serial), 0u) << "the failed unit's serial is not logged";
            continue;
        }
        EXPECT_EQ(SerialOf(eeprom), serial) << "unit " << unit;
        EXPECT_EQ(eeprom, ImageWithSettings(golden, {{"usb.serial", serial}})) << "unit " << unit;
    }
}

TEST(StationTest, StopsAfterCountAndRefusesBadSerialFormats)
{
    TempFolder folder;
    test::WriteBytes(folder / "golden.bin", FactoryEepromImage());
    StationOptions options;
    options.image = folder / "golden.bin";
    options.log = folder / "log.csv";
    options.simulateUnits = 5;
    options.simulateParallel = 2;
    options.count = 3;
    std::ostringstream out;
    std::ostringstream err;
    std::atomic<bool> stop{false};
    EXPECT_EQ(RunStation(options, out, err, &stop), kExitOk) << err.str();
    EXPECT_EQ(Lines(options.log).size(), 4u);

    for (const char* bad : {"TK-%s", "TK-%d-%d", "TK-nothing", "%n", "%*d", "%100d"}) {
        options.serialFormat = bad;
        EXPECT_EQ(RunStation(options, out, err, &stop), kExitUsage) << bad;
    }
    options.serialFormat = "A-%032d";  // longer than a serial string holds
    EXPECT_EQ(RunStation(options, out, err, &stop), kExitUsage);
}

TEST(StationTest, ALogLineTheDiskCannotTakeIsCountedAndSaid)
{
    TempFolder folder;
    test::WriteBytes(folder / "golden.bin", FactoryEepromImage());
    StationOptions options;
    options.image = folder / "golden.bin";
    options.log = folder / "log.csv";
    options.simulateUnits = 2;
    // The backups (256 bytes each) and the log's header go down; every unit's line stops
    // after 5 bytes, then the disk is full.
    std::atomic<int> logWrites{0};
    SetFileWriteLimitForTesting([&logWrites](std::size_t count) {
        if (count >= 256) {
            return count;
        }
        const int n = logWrites++;
        return n == 0 ? count : n % 2 == 1 ? std::min<std::size_t>(count, 5) : std::size_t{0};
    });
    std::ostringstream out;
    std::ostringstream err;
    std::atomic<bool> stop{false};
    const int status = RunStation(options, out, err, &stop);
    SetFileWriteLimitForTesting({});
    EXPECT_EQ(status, kExitTransfer) << err.str();
    EXPECT_NE(err.str().find("cannot append to the log " + options.log), std::string::npos)
        << err.str();
    // The reason follows, naming the file.
    EXPECT_NE(err.str().find("tovrik-cli: cannot write " + options.log + ": "), std::string::npos)
        << err.str();
    EXPECT_NE(out.str().find("2 units, 2 ok, 0 failed, 2 not logged, "), std::string::npos)
        << out.str();
    // Only the header: no half line of either unit.
    const std::vector<std::string> log = Lines(options.log);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(ReadBytes(options.log).back(), '\n');
}

TEST(StationTest, StopFinishesTheUnitsInProgressAndLogsWholeLines)
{
    TempFolder folder;
    test::WriteBytes(folder / "golden.bin", FactoryEepromImage());
    StationOptions options;
    options.image = folder / "golden.bin";
    options.log = folder / "log.csv";
    options.serialFormat = "S%d";
    options.simulateUnits = 200;
    options.simulateParallel = 3;
    std::ostringstream out;
    std::ostringstream err;
    // Chips that take their modelled time, and a stop as soon as the first unit is logged:
    // many units are still to come, however fast or slow this machine is.
    options.simTiming = "real";
    std::atomic<bool> stop{false};
    std::thread interrupt([&stop, &options] {
        while (Lines(options.log).size() < 2) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        stop = true;
    });
    EXPECT_EQ(RunStation(options, out, err, &stop), kExitOk) << err.str();
    interrupt.join();

    const std::vector<std::string> log = Lines(options.log);
    ASSERT_GE(log.size(), 2u);
    EXPECT_LT(log.size(), 201u) << "the stop was not heard";
    const std::string units = std::to_string(log.size() - 1) + " units, ";
    EXPECT_NE(out.str().find("\n" + units), std::string::npos) << out.str();
    // Every unit that was started was finished and logged whole: its serial is there.
    std::set<std::string> serials;
    for (std::size_t i = 1; i < log.size(); ++i) {
        EXPECT_EQ(std::count(log[i].begin(), log[i].end(), ','), 6) << log[i];
        EXPECT_NE(log[i].find(",ok,"), std::string::npos) << log[i];
        serials.insert(
            log[i].substr(log[i].find(",S") + 1, log[i].find(",ok,") - log[i].find(",S") - 1));
    }
    for (std::size_t n = 1; n < log.size(); ++n) {
        EXPECT_EQ(serials.count("S" + std::to_string(n)), 1u) << n;
    }
}

}  // namespace
}  // namespace tovrik::cli
