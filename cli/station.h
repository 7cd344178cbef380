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
    // printf format with one integer conversion; empty keeps the image's serial string.
    std::string serialFormat;
    long long serialStart = 1;
    std::optional<int> count;
    std::string log;
    // A simulated line: this many chips attached `simulateParallel` at a time.
    int simulateUnits = 0;
    int simulateParallel = 1;
    std::string simDir;
    int simFailUnit = 0;
    std::string simTiming = "virtual";
};

void AddStationOptions(CLI::App& command, StationOptions& options);

// Runs the station engine (station/station.h) on the options and prints a
// line per unit and a summary. Ctrl-C stops it when `stop` is null. Exit
// status 0 when every unit passed and was logged, 4 when one failed or its
// log line could not be appended (the summary counts those "not logged"),
// 2 when the station cannot start.
int RunStation(const StationOptions& options, std::ostream& out, std::ostream& err,
               std::atomic<bool>* stop = nullptr);

}  // namespace tovrik::cli
