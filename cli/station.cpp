// SPDX-License-Identifier: MIT
#include "station.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <csignal>
#include <memory>
#include <ostream>
#include <thread>

#include "device_access.h"
#include "exit_codes.h"
#include "station/station.h"

namespace tovrik::cli {

namespace {

constexpr auto kStopPoll = std::chrono::milliseconds(20);

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int)
{
    interrupted = true;
}

// Prints each unit as the station finishes it, and what goes wrong.
class Printer : public StationObserver {
public:
    Printer(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    void UnitFinished(const StationUnit& unit) override
    {
        out_ << "unit " << unit.number << "  " << unit.path << "  " << unit.serial << "  "
             << unit.result << "  " << unit.ms << " ms" << std::endl;
    }

    void Problem(const std::string& text) override { err_ << "tovrik-cli: " << text << '\n'; }

private:
    std::ostream& out_;
    std::ostream& err_;
};

StationDescription Describe(const StationOptions& options)
{
    StationDescription description;
    description.imagePath = options.image;
    DeviceOptions ids;
    ids.vid = options.vid;
    ids.pid = options.pid;
    description.vendorId = RequestedVendorId(ids);
    description.productId = RequestedProductId(ids);
    description.serialFormat = options.serialFormat;
    description.serialStart = options.serialStart;
    description.serialList = options.serialList;
    description.sameSerial = options.sameSerial;
    description.reuseSerials = options.reuseSerials;
    description.ledgerPath = options.ledger;
    description.reprogram = options.reprogram;
    description.count = options.count;
    description.logPath = options.log;
    description.simulated.units = options.simulateUnits;
    description.simulated.parallel = options.simulateParallel;
    description.simulated.folder = options.simDir;
    description.simulated.failUnit = options.simFailUnit;
    description.simulated.realTiming = options.simTiming == "real";
    description.simulated.stayMs = options.simStayMs;
    return description;
}

}  // namespace

void AddStationOptions(CLI::App& command, StationOptions& options)
{
    command.add_option("--image", options.image, "golden EEPROM image (.bin)")->required();
    command.add_option("--vid", options.vid, "vendor id of the blank chips (default 1209)");
    command.add_option("--pid", options.pid, "product id of the blank chips (default 0001)");
    auto* format =
        command.add_option("--serial-format", options.serialFormat,
                           "serial string per unit, printf with one integer, e.g. TK23-%06d");
    auto* start = command
                      .add_option("--serial-start", options.serialStart,
                                  "first serial number of a new series (default: go on after "
                                  "the ledger's highest, else 1)")
                      ->check(CLI::Range(0LL, 999999999999LL))
                      ->needs(format);
    auto* list = command
                     .add_option("--serial-list", options.serialList,
                                 "pre-allocated serials, one a line, each used once")
                     ->excludes(format);
    command
        .add_flag("--same-serial", options.sameSerial,
                  "every unit carries the golden image's own serial")
        ->excludes(format)
        ->excludes(list);
    command
        .add_flag("--reuse-serials", options.reuseSerials,
                  "allow a --serial-start at or below a serial the ledger records")
        ->needs(start);
    command.add_option("--ledger", options.ledger,
                       "the serial ledger (default: one per format in the state folder)");
    command.add_flag("--reprogram", options.reprogram,
                     "program units that already hold an image too (default: skip them)");
    command
        .add_option("--count", options.count,
                    "units to program, failed ones included, skipped ones not")
        ->check(CLI::PositiveNumber);
    command.add_option("--log", options.log, "CSV log, appended to")->required();
    command
        .add_option("--simulate-units", options.simulateUnits,
                    "a simulated line of N chips instead of the system's")
        ->check(CLI::Range(1, 100000));
    command
        .add_option("--simulate-parallel", options.simulateParallel,
                    "simulated chips attached at a time (default 1)")
        ->check(CLI::Range(1, 64));
    command.add_option("--sim-dir", options.simDir, "keep unit i's EEPROM in DIR/unit-i.bin");
    command.add_option("--sim-fail-unit", options.simFailUnit, "make this unit's write fail")
        ->check(CLI::PositiveNumber);
    command
        .add_option("--sim-timing", options.simTiming,
                    "virtual (default) or real: the simulated chips take their modelled time")
        ->check(CLI::IsMember({"virtual", "real"}));
    command
        .add_option("--sim-stay-ms", options.simStayMs,
                    "a finished simulated unit stays in its slot this long (default 0)")
        ->check(CLI::Range(0, 600000));
}

int RunStation(const StationOptions& options, std::ostream& out, std::ostream& err,
               std::atomic<bool>* stop)
{
    std::unique_ptr<Station> station;
    try {
        std::string error;
        station = Station::Prepare(Describe(options), error);
        if (!station) {
            throw UsageError{error == kNoSerialSource
                                 ? "give --serial-format or --serial-list, or --same-serial when "
                                   "every unit is to carry the golden image's own serial"
                                 : error};
        }
    } catch (const UsageError& e) {
        err << "tovrik-cli: " << e.reason << '\n';
        return kExitUsage;
    }
    const bool ownStop = stop == nullptr;
    if (ownStop) {
        interrupted = false;
        std::signal(SIGINT, OnInterrupt);
        std::signal(SIGTERM, OnInterrupt);
        stop = &interrupted;
    }
    // Ctrl-C (or the caller) stops the station; the units in progress are finished.
    std::atomic<bool> ended{false};
    std::thread watcher([&] {
        while (!ended) {
            if (*stop) {
                station->Stop();
                return;
            }
            std::this_thread::sleep_for(kStopPoll);
        }
    });
    Printer printer(out, err);
    const StationSummary summary = station->Run(&printer);
    ended = true;
    watcher.join();
    if (ownStop) {
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
    }
    const StationCounts& c = summary.counts;
    out << c.passed + c.failed + c.skipped << " units, " << c.passed << " ok, " << c.failed
        << " failed, " << c.skipped << " skipped, ";
    if (c.notLogged > 0) {
        out << c.notLogged << " not logged, ";
    }
    out << summary.ms << " ms\n";
    if (!summary.problem.empty()) {
        err << "tovrik-cli: the station stopped: " << summary.problem << '\n';
        return kExitTransfer;
    }
    return c.failed == 0 ? kExitOk : kExitTransfer;
}

}  // namespace tovrik::cli
