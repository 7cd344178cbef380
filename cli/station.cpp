// SPDX-License-Identifier: MIT
#include "station.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <ostream>
#include <set>
#include <thread>
#include <vector>

#include "session/backup_site.h"
#include "device_access.h"
#include "exit_codes.h"
#include "output_file.h"
#include "platform/safe_file.h"
#include "session/production_line.h"
#include "settings_view.h"

namespace tovrik::cli {

namespace {

constexpr std::size_t kLargestEeprom = 2048;
constexpr auto kPollInterval = std::chrono::milliseconds(20);
constexpr const char* kLogHeader = "time,path,vid,pid,serial,result,ms\n";

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int)
{
    interrupted = true;
}

struct UnitResult {
    std::string path;
    HidDeviceInfo info;
    std::string serial;
    std::string result;
    long long ms = 0;
};

// Finished units, handed from the workers to the station's thread.
class ResultQueue {
public:
    void Push(UnitResult result)
    {
        {
            std::lock_guard guard(mutex_);
            results_.push_back(std::move(result));
        }
        ready_.notify_one();
    }

    std::vector<UnitResult> Take(std::chrono::milliseconds wait)
    {
        std::unique_lock guard(mutex_);
        ready_.wait_for(guard, wait, [this] { return !results_.empty(); });
        std::vector<UnitResult> taken(results_.begin(), results_.end());
        results_.clear();
        return taken;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<UnitResult> results_;
};

std::string ProgramUnit(ProductionLine& line, std::mutex& lock, const HidDeviceInfo& info,
                        const std::vector<std::uint8_t>& image)
{
    Connection connection(line.Transport(), info, &lock);
    if (!connection.IsOpen()) {
        return "failed: " + connection.OpenError();
    }
    if (image.size() > static_cast<std::size_t>(connection.FittedEepromSize())) {
        return "failed: the image is larger than the EEPROM";
    }
    std::string where;
    std::string error;
    if (!KeepBackup(connection.Library(), info.vendorId, info.productId,
                    static_cast<std::uint32_t>(image.size()), where, error)) {
        return "failed: " + error;
    }
    line.BeforeWrite(info.path);
    if (!connection.Write(image)) {
        return "failed: write";
    }
    std::vector<std::uint8_t> back(image.size());
    if (!connection.Read(back)) {
        return "failed: read back";
    }
    if (back != image) {
        return "failed: verify";
    }
    return "ok";
}

std::string Now()
{
    // Calendar arithmetic of the standard library: the same on every system, no thread-unsafe call.
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss time{now - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\n\r") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

// The log: every line goes out in one write, flushed, so an interruption never leaves half a line.
class StationLog {
public:
    explicit StationLog(const std::string& path) : path_(path)
    {
        std::error_code ec;
        const bool fresh =
            !std::filesystem::exists(path, ec) || std::filesystem::file_size(path, ec) == 0;
        std::string error;
        if (!AppendFileDurably(path_, fresh ? kLogHeader : "", error)) {
            throw UsageError{"cannot open the log: " + error};
        }
    }

    bool Append(const std::string& line, std::string& error)
    {
        return AppendFileDurably(path_, line, error);
    }

private:
    std::string path_;
};

}  // namespace

SerialFormat::SerialFormat(const std::string& format)
{
    bool found = false;
    std::string* part = &prefix_;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            *part += format[i];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            *part += "%%";
            ++i;
            continue;
        }
        if (found) {
            throw UsageError{"--serial-format " + format + ": give exactly one integer conversion"};
        }
        std::size_t j = i + 1;
        while (j < format.size() && std::strchr("-+ #0", format[j]) != nullptr) {
            ++j;
        }
        std::size_t digits = 0;
        while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j])) &&
               digits < 2) {
            ++j;
            ++digits;
        }
        if (j < format.size() && format[j] == '.') {
            ++j;
            digits = 0;
            while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j])) &&
                   digits < 2) {
                ++j;
                ++digits;
            }
        }
        if (j >= format.size() || std::strchr("diuxXo", format[j]) == nullptr) {
            throw UsageError{"--serial-format " + format +
                             ": the conversion must be d, i, u, x, X or o with at most two "
                             "digits of width and precision"};
        }
        conversion_ = format.substr(i, j - i) + "ll" + format[j];
        found = true;
        part = &suffix_;
        i = j;
    }
    if (!found) {
        throw UsageError{"--serial-format " + format + ": give exactly one integer conversion"};
    }
}

std::string SerialFormat::Format(long long number) const
{
    const std::string format = prefix_ + conversion_ + suffix_;
    char text[256];
    // The format was rebuilt from checked parts with one long long conversion.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const int length = std::snprintf(text, sizeof text, format.c_str(), number);
#pragma GCC diagnostic pop
    return length < 0 ? std::string()
                      : std::string(text, std::min<std::size_t>(length, sizeof text - 1));
}

void AddStationOptions(CLI::App& command, StationOptions& options)
{
    command.add_option("--image", options.image, "golden EEPROM image (.bin)")->required();
    command.add_option("--vid", options.vid, "vendor id of the blank chips (default 1209)");
    command.add_option("--pid", options.pid, "product id of the blank chips (default 0001)");
    command.add_option("--serial-format", options.serialFormat,
                       "serial string per unit, printf with one integer, e.g. TK23-%06d");
    command.add_option("--serial-start", options.serialStart, "first serial number (default 1)")
        ->check(CLI::Range(0LL, 999999999999LL));
    command.add_option("--count", options.count, "units to program, failed ones included")
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
}

int RunStation(const StationOptions& options, std::ostream& out, std::ostream& err,
               std::atomic<bool>* stop)
{
    try {
        const std::vector<std::uint8_t> golden = ReadInputFile(options.image, kLargestEeprom);
        if (golden.empty()) {
            throw UsageError{options.image + " is empty"};
        }
        DeviceOptions ids;
        ids.vid = options.vid;
        ids.pid = options.pid;
        const std::uint16_t vid = RequestedVendorId(ids);
        const std::uint16_t pid = RequestedProductId(ids);
        std::optional<SerialFormat> serials;
        if (!options.serialFormat.empty()) {
            serials.emplace(options.serialFormat);
            ImageWithSettings(golden, {{"usb.serial", serials->Format(options.serialStart)}});
        }
        std::mutex lock;
        std::unique_ptr<ProductionLine> line;
        if (options.simulateUnits > 0) {
            SimulatedLineOptions simulated;
            simulated.units = options.simulateUnits;
            simulated.parallel = options.simulateParallel;
            simulated.folder = options.simDir;
            simulated.failUnit = options.simFailUnit;
            simulated.realTiming = options.simTiming == "real";
            line = std::make_unique<SimulatedProductionLine>(simulated, lock);
        } else {
            std::string error;
            std::unique_ptr<ChipAccess> access = ChipAccess::Open(ChipChoice{}, error);
            if (!access) {
                throw UsageError{error};
            }
            line = std::make_unique<SystemProductionLine>(std::move(access));
        }
        StationLog log(options.log);

        if (stop == nullptr) {
            interrupted = false;
            std::signal(SIGINT, OnInterrupt);
            std::signal(SIGTERM, OnInterrupt);
            stop = &interrupted;
        }

        ResultQueue results;
        std::map<std::string, std::thread> workers;
        std::set<std::string> waitingToLeave;
        long long nextSerial = options.serialStart;
        int started = 0;
        int finished = 0;
        int failed = 0;
        // Units whose line the log could not take (a full disk): programmed, but not on record.
        int notLogged = 0;
        const auto startTime = std::chrono::steady_clock::now();

        while (true) {
            for (UnitResult& r :
                 results.Take(workers.empty() ? std::chrono::milliseconds(0) : kPollInterval)) {
                workers[r.path].join();
                workers.erase(r.path);
                ++finished;
                if (r.result != "ok") {
                    ++failed;
                }
                const std::string row = Now() + "," + CsvField(r.path) + "," +
                                        Hex4(r.info.vendorId) + "," + Hex4(r.info.productId) + "," +
                                        CsvField(r.serial) + "," + CsvField(r.result) + "," +
                                        std::to_string(r.ms) + "\n";
                std::string logError;
                if (!log.Append(row, logError)) {
                    ++notLogged;
                    err << "tovrik-cli: cannot append to the log " << options.log << '\n';
                    err << "tovrik-cli: " << logError << '\n';
                }
                out << "unit " << finished << "  " << r.path << "  " << r.serial << "  " << r.result
                    << "  " << r.ms << " ms" << std::endl;
                waitingToLeave.insert(r.path);
                line->Done(r.path);
            }
            const bool enough = options.count && started >= *options.count;
            if (workers.empty() && (*stop || enough || line->Exhausted())) {
                break;
            }
            std::vector<HidDeviceInfo> present;
            {
                std::lock_guard guard(lock);
                present = line->Transport().Enumerate();
            }
            std::set<std::string> presentPaths;
            for (const HidDeviceInfo& info : present) {
                presentPaths.insert(info.path);
            }
            // A port is taken again only after its chip has left it.
            for (auto it = waitingToLeave.begin(); it != waitingToLeave.end();) {
                it = presentPaths.count(*it) != 0 ? std::next(it) : waitingToLeave.erase(it);
            }
            for (const HidDeviceInfo& info : present) {
                if (*stop || (options.count && started >= *options.count)) {
                    break;
                }
                if (info.vendorId != vid || info.productId != pid ||
                    workers.count(info.path) != 0 || waitingToLeave.count(info.path) != 0) {
                    continue;
                }
                ++started;
                // Each number is taken once, whatever becomes of its unit.
                const long long number = nextSerial++;
                std::string serial;
                std::vector<std::uint8_t> image = golden;
                std::string problem;
                if (serials) {
                    serial = serials->Format(number);
                    try {
                        const std::vector<std::uint8_t> unit =
                            ImageWithSettings(golden, {{"usb.serial", serial}});
                        std::copy(unit.begin(), unit.end(), image.begin());
                    } catch (const UsageError& e) {
                        problem = "failed: " + e.reason;
                    }
                }
                workers[info.path] =
                    std::thread([&line, &lock, &results, info, serial, image, problem] {
                        const auto begin = std::chrono::steady_clock::now();
                        UnitResult r{info.path, info, serial, problem, 0};
                        if (r.result.empty()) {
                            r.result = ProgramUnit(*line, lock, info, image);
                        }
                        r.ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - begin)
                                   .count();
                        results.Push(std::move(r));
                    });
            }
            if (workers.empty() && !*stop) {
                std::this_thread::sleep_for(kPollInterval);
            }
        }
        if (stop == &interrupted) {
            std::signal(SIGINT, SIG_DFL);
            std::signal(SIGTERM, SIG_DFL);
        }
        const auto total = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - startTime)
                               .count();
        out << finished << " units, " << finished - failed << " ok, " << failed << " failed, ";
        if (notLogged > 0) {
            out << notLogged << " not logged, ";
        }
        out << total << " ms\n";
        return failed == 0 && notLogged == 0 ? kExitOk : kExitTransfer;
    } catch (const UsageError& e) {
        err << "tovrik-cli: " << e.reason << '\n';
        return kExitUsage;
    }
}

}  // namespace tovrik::cli
