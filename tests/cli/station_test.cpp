// SPDX-License-Identifier: MIT
#include "cli/station.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "app/factory_image.h"
#include "cli/device_access.h"
#include "cli/exit_codes.h"
#include "cli/settings_view.h"
#include "config/eeprom_config.h"
#include "device/sim/simulated_device.h"
#include "formats/sha256.h"
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
    if (config.LoadFromEeprom() == 0 || !prompter.Messages().empty()) {
        return "(no image)";
    }
    std::string serial;
    config.GetString(2, serial);
    return serial;
}

std::vector<std::string> Lines(const std::string& path)
{
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The fields of one CSV line, quotes undone.
std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// The log's unit lines, each as path, serial and result.
struct Row {
    std::string path;
    std::string serial;
    std::string result;
    std::string image;
};

std::vector<Row> Rows(const std::string& log)
{
    std::vector<Row> rows;
    const std::vector<std::string> lines = Lines(log);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> f = Fields(lines[i]);
        EXPECT_EQ(f.size(), 8u) << lines[i];
        if (f.size() == 8) {
            rows.push_back({f[1], f[4], f[5], f[7]});
        }
    }
    return rows;
}

std::vector<std::uint8_t> GoldenWithSerial(const std::string& serial)
{
    return ImageWithSettings(FactoryEepromImage(), {{"usb.serial", serial}});
}

struct Station {
    TempFolder folder;
    StationOptions options;
    std::ostringstream out;
    std::ostringstream err;
    std::atomic<bool> stop{false};

    explicit Station(int units, int parallel = 1)
    {
        test::WriteBytes(folder / "golden.bin", FactoryEepromImage());
        options.image = folder / "golden.bin";
        options.log = folder / "log.csv";
        options.ledger = folder / "serials.ledger";
        options.serialFormat = "TK23-%06d";
        options.simulateUnits = units;
        options.simulateParallel = parallel;
    }
    int Run()
    {
        out.str("");
        err.str("");
        return RunStation(options, out, err, &stop);
    }
    std::string Unit(int i)
    {
        return SerialOf(ReadBytes(folder / ("units/unit-" + std::to_string(i) + ".bin")));
    }
};

TEST(StationTest, TenUnitsOneFailingEachWithItsOwnSerialAndTheImagesChecksum)
{
    Station s(10, 3);
    s.options.serialStart = 41;
    s.options.simDir = s.folder / "units";
    s.options.simFailUnit = 4;

    EXPECT_EQ(s.Run(), kExitTransfer) << s.err.str();

    EXPECT_EQ(Lines(s.options.log)[0], "time,path,vid,pid,serial,result,ms,image");
    const std::vector<Row> rows = Rows(s.options.log);
    ASSERT_EQ(rows.size(), 10u) << s.out.str();
    const std::string checksum = Sha256Hex(FactoryEepromImage()).substr(0, 16);
    std::set<std::string> serials;
    for (const Row& row : rows) {
        EXPECT_EQ(row.image, checksum);
        serials.insert(row.serial);
        const int unit = std::stoi(row.path.substr(row.path.find('-') + 1));
        const auto eeprom = ReadBytes(s.folder / ("units/unit-" + std::to_string(unit) + ".bin"));
        if (unit == 4) {
            EXPECT_EQ(row.result, "failed: write");
            EXPECT_EQ(eeprom, std::vector<std::uint8_t>(256, 0xFF))
                << "the failed unit was written";
            continue;
        }
        EXPECT_EQ(row.result, "ok") << row.path;
        EXPECT_EQ(eeprom, GoldenWithSerial(row.serial)) << row.path;
    }
    EXPECT_EQ(serials.size(), 10u) << "a serial number was used twice";
    EXPECT_EQ(*serials.begin(), "TK23-000041");
    EXPECT_EQ(*serials.rbegin(), "TK23-000050");
    EXPECT_NE(s.out.str().find("10 units, 9 ok, 1 failed, 0 skipped, "), std::string::npos)
        << s.out.str();
}

// What cannot work is refused before any unit is touched: no log, no serial recorded.
TEST(StationTest, RefusesAtStartWhatCannotWork)
{
    Station s(2);
    s.options.simDir = s.folder / "units";
    const auto refused = [&s](const std::string& what) {
        EXPECT_EQ(s.Run(), kExitUsage) << what << "\n" << s.out.str();
        EXPECT_FALSE(FileExists(s.options.log)) << what;
        EXPECT_EQ(ReadBytes(s.folder / "units/unit-1.bin"), std::vector<std::uint8_t>{}) << what;
        return s.err.str();
    };
    for (const char* bad : {"TK-%s", "TK-%d-%d", "TK-nothing", "%n", "%*d", "%100d"}) {
        s.options.serialFormat = bad;
        refused(bad);
    }
    // Fits for the first numbers, not for the highest a series can reach.
    s.options.serialFormat = "ABCDEFGHIJKLMNOPQRSTU-%06d";
    EXPECT_NE(refused("long").find("ABCDEFGHIJKLMNOPQRSTU-999999999999"), std::string::npos)
        << s.err.str();
    // ... but with a count the run cannot get there.
    s.options.count = 2;
    EXPECT_EQ(s.Run(), kExitOk) << s.err.str();
    std::filesystem::remove_all(s.folder / "units");
    std::filesystem::remove(s.options.log);

    s.options.serialFormat.clear();
    EXPECT_NE(refused("no source").find("--same-serial"), std::string::npos);
    test::WriteBytes(s.folder / "list.txt",
                     std::vector<std::uint8_t>(40, 'S'));  // one serial of 40 characters
    s.options.serialList = s.folder / "list.txt";
    s.options.ledger.clear();  // the one of lists in the state folder
    const std::string longEntry = refused("long list entry");
    EXPECT_NE(longEntry.find("does not fit"), std::string::npos) << longEntry;

    s.options.serialList.clear();
    s.options.serialFormat = "TK23-%06d";
    test::WriteBytes(s.folder / "blank.bin", std::vector<std::uint8_t>(256, 0xFF));
    s.options.image = s.folder / "blank.bin";
    EXPECT_NE(refused("blank golden").find("is not an EEPROM image"), std::string::npos);
}

// The same command after a stop goes on where it stopped; a start at or below a recorded
// serial is refused unless reuse is asked for; a failed unit's serial is never given again.
TEST(StationTest, TheLedgerContinuesASeriesAndRefusesAStartItHasUsed)
{
    Station s(3);
    s.options.serialStart = 100;
    s.options.simFailUnit = 2;
    EXPECT_EQ(s.Run(), kExitTransfer) << s.err.str();
    s.options.simFailUnit = 0;
    EXPECT_EQ(s.Run(), kExitOk) << s.err.str();
    std::vector<std::string> serials;
    for (const Row& row : Rows(s.options.log)) {
        serials.push_back(row.serial);
    }
    EXPECT_EQ(serials, (std::vector<std::string>{"TK23-000100", "TK23-000101", "TK23-000102",
                                                 "TK23-000103", "TK23-000104", "TK23-000105"}));

    s.options.serialStart = 105;
    EXPECT_EQ(s.Run(), kExitUsage);
    EXPECT_NE(s.err.str().find("TK23-000105"), std::string::npos) << s.err.str();
    EXPECT_EQ(Rows(s.options.log).size(), 6u);

    // Reuse from 99: 101 went to the unit that failed and is passed over.
    s.options.serialStart = 99;
    s.options.reuseSerials = true;
    EXPECT_EQ(s.Run(), kExitOk) << s.err.str();
    const std::vector<Row> rows = Rows(s.options.log);
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[6].serial, "TK23-000099");
    EXPECT_EQ(rows[7].serial, "TK23-000100");
    EXPECT_EQ(rows[8].serial, "TK23-000102");

    // Without a start, the latest series goes on, past what the ledger records.
    s.options.serialStart.reset();
    s.options.reuseSerials = false;
    s.options.count = 1;
    EXPECT_EQ(s.Run(), kExitOk) << s.err.str();
    EXPECT_EQ(Rows(s.options.log).back().serial, "TK23-000106");
}

TEST(StationTest, ASerialListIsUsedOnceAcrossRuns)
{
    Station s(4);
    s.options.serialFormat.clear();
    const std::string list = "  A-1\r\n\nB-2\nC-3\n";
    test::WriteBytes(s.folder / "list.txt", std::vector<std::uint8_t>(list.begin(), list.end()));
    s.options.serialList = s.folder / "list.txt";
    s.options.count = 2;
    EXPECT_EQ(s.Run(), kExitOk) << s.err.str();
    s.options.count.reset();
    EXPECT_EQ(s.Run(), kExitOk) << s.err.str();
    EXPECT_NE(s.err.str().find("no serial left"), std::string::npos) << s.err.str();
    std::vector<std::string> serials;
    for (const Row& row : Rows(s.options.log)) {
        serials.push_back(row.serial);
    }
    EXPECT_EQ(serials, (std::vector<std::string>{"A-1", "B-2", "C-3"}));
    EXPECT_EQ(s.Run(), kExitUsage);
    EXPECT_NE(s.err.str().find("every serial of the list"), std::string::npos) << s.err.str();
}

// A unit that holds an image is left alone unless --reprogram: logged without a serial,
// not counted toward --count, and the exit status stays 0.
TEST(StationTest, UnitsThatHoldAnImageAreSkippedUnlessReprogrammed)
{
    Station s(3);
    s.options.simDir = s.folder / "units";
    s.options.count = 2;
    EXPECT_EQ(s.Run(), kExitOk) << s.err.str();
    const std::string first = s.Unit(1);
    EXPECT_EQ(first, "TK23-000001");

    s.options.count = 1;
    EXPECT_EQ(s.Run(), kExitOk) << s.err.str();
    EXPECT_NE(s.out.str().find("3 units, 1 ok, 0 failed, 2 skipped, "), std::string::npos)
        << s.out.str();
    std::vector<Row> rows = Rows(s.options.log);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[2].result, "skipped: holds TK23-000001");
    EXPECT_EQ(rows[2].serial, "");
    EXPECT_EQ(rows[4].serial, "TK23-000003");
    EXPECT_EQ(s.Unit(1), first) << "a skipped unit was written";

    s.options.reprogram = true;
    s.options.count.reset();
    EXPECT_EQ(s.Run(), kExitOk) << s.err.str();
    EXPECT_EQ(s.Unit(1), "TK23-000004");
}

// A comma or a quote in a serial or a reason stays inside its field.
TEST(StationTest, CommasAndQuotesStayInTheirField)
{
    Station s(2);
    s.options.serialFormat.clear();
    const std::string list = "SN,1\nSN\"2\n";
    test::WriteBytes(s.folder / "list.txt", std::vector<std::uint8_t>(list.begin(), list.end()));
    s.options.serialList = s.folder / "list.txt";
    s.options.simDir = s.folder / "units";
    EXPECT_EQ(s.Run(), kExitOk) << s.err.str();
    s.options.serialList.clear();
    s.options.sameSerial = true;
    EXPECT_EQ(s.Run(), kExitOk) << s.err.str();
    const std::vector<Row> rows = Rows(s.options.log);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].serial, "SN,1");
    EXPECT_EQ(rows[1].serial, "SN\"2");
    EXPECT_EQ(rows[2].result, "skipped: holds SN,1");
    EXPECT_EQ(rows[3].result, "skipped: holds SN\"2");
}

// A finished unit that stays in its slot is taken once; the next comes after it leaves.
TEST(StationTest, AUnitLeftInItsPortIsLoggedOnce)
{
    Station s(3, 1);
    s.options.simStayMs = 200;
    EXPECT_EQ(s.Run(), kExitOk) << s.err.str();
    const std::vector<Row> rows = Rows(s.options.log);
    ASSERT_EQ(rows.size(), 3u) << s.out.str();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i].path, "sim:unit-" + std::to_string(i + 1));
        EXPECT_EQ(rows[i].result, "ok");
    }
}

// The first unit's line stops after 5 bytes, the second finds the disk full: the log
// keeps whole lines only, the unit fails, its serial stays used and the run ends.
TEST(StationTest, ALineTheLogCannotTakeFailsTheUnitAndEndsTheRun)
{
    Station s(6, 1);
    s.options.count = 1;
    EXPECT_EQ(s.Run(), kExitOk) << s.err.str();
    s.options.count.reset();
    const std::string logBefore = [&] {
        const auto bytes = ReadBytes(s.options.log);
        return std::string(bytes.begin(), bytes.end());
    }();
    // The backups (256 bytes each) and the ledger's records go down; the log's lines
    // (the only writes of about 70 bytes) do not.
    std::atomic<int> logWrites{0};
    SetFileWriteLimitForTesting([&logWrites](std::size_t count) {
        if (count >= 256 || count < 50) {
            return count;
        }
        return logWrites++ == 0 ? std::min<std::size_t>(count, 5) : std::size_t{0};
    });
    const int status = s.Run();
    SetFileWriteLimitForTesting({});
    EXPECT_EQ(status, kExitTransfer) << s.err.str();
    EXPECT_NE(s.err.str().find("the station stopped: cannot append to the log " + s.options.log +
                               ": cannot write " + s.options.log),
              std::string::npos)
        << s.err.str();
    EXPECT_NE(s.out.str().find("1 units, 0 ok, 1 failed, 0 skipped, 1 not logged, "),
              std::string::npos)
        << s.out.str();
    const auto bytes = ReadBytes(s.options.log);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), logBefore) << "a part of a line was left";

    // The serial of the unit that was not logged is not given again.
    EXPECT_EQ(s.Run(), kExitOk) << s.err.str();
    EXPECT_EQ(Rows(s.options.log)[1].serial, "TK23-000003");
}

// A log a crash left in the middle of a line gets its next line on a line of its own.
TEST(StationTest, ALogEndingInAPartLineGoesOnOnANewLine)
{
    Station s(1);
    const std::string cut = "time,path,vid,pid,serial,result,ms,image\n2026-01-01T00:00:00Z,sim:un";
    test::WriteBytes(s.options.log, std::vector<std::uint8_t>(cut.begin(), cut.end()));
    EXPECT_EQ(s.Run(), kExitOk) << s.err.str();
    const std::vector<std::string> lines = Lines(s.options.log);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "2026-01-01T00:00:00Z,sim:un");
    EXPECT_EQ(Fields(lines[2]).size(), 8u) << lines[2];

    const std::string other = "time,path,vid,pid,serial,result,ms\n";
    test::WriteBytes(s.options.log, std::vector<std::uint8_t>(other.begin(), other.end()));
    EXPECT_EQ(s.Run(), kExitUsage);
    EXPECT_NE(s.err.str().find("give a new log"), std::string::npos) << s.err.str();
}

TEST(StationTest, StopFinishesTheUnitsInProgressAndLogsWholeLines)
{
    Station s(200, 3);
    s.options.serialFormat = "S%d";
    // Chips that take their modelled time, and a stop as soon as the first unit is logged:
    // many units are still to come, however fast or slow this machine is.
    s.options.simTiming = "real";
    std::thread interrupt([&s] {
        while (Lines(s.options.log).size() < 2) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        s.stop = true;
    });
    EXPECT_EQ(s.Run(), kExitOk) << s.err.str();
    interrupt.join();

    const std::vector<Row> rows = Rows(s.options.log);
    ASSERT_GE(rows.size(), 1u);
    EXPECT_LT(rows.size(), 200u) << "the stop was not heard";
    EXPECT_NE(s.out.str().find("\n" + std::to_string(rows.size()) + " units, "), std::string::npos)
        << s.out.str();
    std::set<std::string> serials;
    for (const Row& row : rows) {
        EXPECT_EQ(row.result, "ok");
        serials.insert(row.serial);
    }
    for (std::size_t n = 1; n <= rows.size(); ++n) {
        EXPECT_EQ(serials.count("S" + std::to_string(n)), 1u) << n;
    }
}

}  // namespace
}  // namespace tovrik::cli
