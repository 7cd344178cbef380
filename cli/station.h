// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <iosfwd>
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace tovrik::cli {

struct StationOptions {
    std::string image;
    std::string vid;
    std::string pid;
    // The serials: a printf format with one integer conversion, a list file,
    // or the image's own serial string on every unit (--same-serial).
    std::string serialFormat;
    std::optional<long long> serialStart;
    std::string serialList;
    bool sameSerial = false;
    bool reuseSerials = false;
    std::string ledger;
    bool reprogram = false;
    std::optional<int> count;
    std::string log;
    // A simulated line: this many chips attached `simulateParallel` at a time.
    int simulateUnits = 0;
    int simulateParallel = 1;
    std::string simDir;
    int simFailUnit = 0;
    std::string simTiming = "virtual";
    int simStayMs = 0;
};

void AddStationOptions(CLI::App& command, StationOptions& options);

// Runs the station engine (station/station.h) on the options and prints a
// line per unit and a summary. Ctrl-C stops it when `stop` is null. Exit
// status 0 when every unit programmed passed (skipped ones change nothing),
// 4 when one failed or the run had to end (a log line or a ledger record
// could not be appended; the reason is printed), 2 when the station cannot
// start.
int RunStation(const StationOptions& options, std::ostream& out, std::ostream& err,
               std::atomic<bool>* stop = nullptr);

}  // namespace tovrik::cli
