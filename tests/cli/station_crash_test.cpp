// SPDX-License-Identifier: MIT
// A station killed mid-run and started again with the same arguments: no
// serial reaches two units or two log lines. POSIX only (fork and kill).
#include "cli/station.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <thread>

#include "app/factory_image.h"
#include "cli/exit_codes.h"
#include "config/eeprom_config.h"
#include "device/sim/simulated_device.h"
#include "platform/recording_prompter.h"
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
    std::string serial;
    if (config.LoadFromEeprom() != 0 && prompter.Messages().empty()) {
        config.GetString(2, serial);
    }
    return serial;
}

std::size_t LineCount(const std::string& path)
{
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
}

TEST(StationCrashTest, AKillMidRunAndTheSameCommandAgainGiveEverySerialOnce)
{
    TempFolder folder;
    test::WriteBytes(folder / "golden.bin", FactoryEepromImage());
    StationOptions options;
    options.image = folder / "golden.bin";
    options.log = folder / "log.csv";
    options.ledger = folder / "serials.ledger";
    options.serialFormat = "TK23-%06d";
    options.serialStart = 100;
    options.simulateUnits = 12;
    options.simulateParallel = 3;
    options.simDir = folder / "units";
    options.simTiming = "real";  // the kill finds units half-way through

    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::ostringstream out;
        std::ostringstream err;
        std::atomic<bool> stop{false};
        _exit(RunStation(options, out, err, &stop));
    }
    // Killed once four units are logged, while the next ones are being written.
    int status = 0;
    bool ended = false;
    while (LineCount(options.log) < 5) {
        if (waitpid(child, &status, WNOHANG) == child) {
            ended = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_FALSE(ended) << "the station ended by itself with status " << status;
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    const std::size_t loggedBeforeKill = LineCount(options.log) - 1;
    ASSERT_LT(loggedBeforeKill, 12u);

    std::ostringstream out;
    std::ostringstream err;
    std::atomic<bool> stop{false};
    EXPECT_EQ(RunStation(options, out, err, &stop), kExitOk) << err.str() << out.str();

    // Every unit holds a serial of its own, and the log gives each serial once, to
    // the unit that holds it.
    std::map<std::string, std::string> holder;
    for (int unit = 1; unit <= 12; ++unit) {
        const std::string path = "sim:unit-" + std::to_string(unit);
        const std::string serial =
            SerialOf(ReadBytes(folder / ("units/unit-" + std::to_string(unit) + ".bin")));
        ASSERT_FALSE(serial.empty()) << path << " holds no image";
        EXPECT_TRUE(holder.emplace(serial, path).second)
            << serial << " is held by " << holder[serial] << " and " << path;
    }
    const std::vector<std::uint8_t> bytes = ReadBytes(options.log);
    std::istringstream log(std::string(bytes.begin(), bytes.end()));
    std::string line;
    std::getline(log, line);
    std::map<std::string, int> logged;
    int skipped = 0;
    while (std::getline(log, line)) {
        const std::size_t vid = line.find(",1209,0001,");
        ASSERT_NE(vid, std::string::npos) << line;
        const std::string path = line.substr(line.find(',') + 1, vid - line.find(',') - 1);
        const std::string rest = line.substr(vid + 11);
        const std::string serial = rest.substr(0, rest.find(','));
        if (serial.empty()) {
            // A unit programmed before the kill, seen again: it keeps what it holds.
            ++skipped;
            EXPECT_NE(rest.find(",skipped: holds TK23-"), std::string::npos) << line;
            continue;
        }
        EXPECT_EQ(++logged[serial], 1) << serial << " logged twice";
        EXPECT_NE(rest.find(",ok,"), std::string::npos) << line;
        EXPECT_EQ(holder[serial], path) << serial;
    }
    EXPECT_GE(skipped, static_cast<int>(loggedBeforeKill));
    EXPECT_GE(logged.size(), 12u - 3u) << "units were lost";
}

}  // namespace
}  // namespace tovrik::cli
