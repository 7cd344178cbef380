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

// Programs every chip that appears until `count` units are done, the
// simulated line has no units left, or `stop` is set (Ctrl-C sets it when
// null). Units in progress are finished first. Exit status 0 when every unit
// passed and was logged, 4 when one failed or its log line could not be
// appended (the summary counts those "not logged"), 2 for bad options.
int RunStation(const StationOptions& options, std::ostream& out, std::ostream& err,
               std::atomic<bool>* stop = nullptr);

// A serial number format: printf-like text with exactly one integer
// conversion (d, i, u, x, X or o with flags, width and precision) and %%.
class SerialFormat {
public:
    // Throws UsageError for any other format.
    explicit SerialFormat(const std::string& format);
    std::string Format(long long number) const;

private:
    std::string prefix_;
    std::string conversion_;  // rebuilt as a long long conversion
    std::string suffix_;
};

}  // namespace tovrik::cli
