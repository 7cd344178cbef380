// SPDX-License-Identifier: MIT
#include "station/station.h"

#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <set>
#include <thread>

#include "formats/sha256.h"
#include "platform/safe_file.h"
#include "session/backup_site.h"
#include "session/headless_tool.h"

namespace tovrik {

namespace {

constexpr std::size_t kLargestEeprom = 2048;
constexpr auto kPollInterval = std::chrono::milliseconds(20);
constexpr const char* kLogHeader = "time,path,vid,pid,serial,result,ms\n";

std::string Hex4(std::uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
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
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
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

}  // namespace

const char* SlotStateText(SlotState state)
{
    switch (state) {
        case SlotState::Waiting:
            return "waiting";
        case SlotState::Programming:
            return "programming";
        case SlotState::Passed:
            return "PASS";
        case SlotState::Failed:
            return "FAIL";
        case SlotState::Skipped:
            return "SKIPPED";
    }
    return "";
}

// The log: every line goes out in one write, flushed, so an interruption never leaves half a line.
class Station::Log {
public:
    explicit Log(std::string path) : path_(std::move(path)) {}

    bool Open(std::string& error)
    {
        std::error_code ec;
        const bool fresh =
            !std::filesystem::exists(path_, ec) || std::filesystem::file_size(path_, ec) == 0;
        if (!AppendFileDurably(path_, fresh ? kLogHeader : "", error)) {
            error = "cannot open the log: " + error;
            return false;
        }
        return true;
    }

    bool Append(const StationUnit& unit, std::string& error)
    {
        const std::string row = Now() + "," + CsvField(unit.path) + "," + Hex4(unit.vendorId) +
                                "," + Hex4(unit.productId) + "," + CsvField(unit.serial) + "," +
                                CsvField(unit.result) + "," + std::to_string(unit.ms) + "\n";
        std::lock_guard guard(mutex_);
        return AppendFileDurably(path_, row, error);
    }

private:
    std::string path_;
    std::mutex mutex_;
};

struct Station::Result {
    StationUnit unit;
    SlotState state = SlotState::Failed;
};

Station::Station(const StationDescription& description) : description_(description) {}

Station::~Station() = default;

std::unique_ptr<Station> Station::Prepare(const StationDescription& description, std::string& error)
{
    std::unique_ptr<Station> station(new Station(description));
    if (!station->Open(error)) {
        return nullptr;
    }
    return station;
}

bool Station::Open(std::string& error)
{
    if (!ReadFileBounded(description_.imagePath, kLargestEeprom, golden_, error)) {
        return false;
    }
    if (golden_.empty()) {
        error = description_.imagePath + " is empty";
        return false;
    }
    checksum_ = Sha256Hex(golden_).substr(0, 16);
    nextNumber_ = description_.serialStart;
    if (!description_.serialFormat.empty()) {
        serials_ = SerialFormat::Parse(description_.serialFormat, error);
        if (!serials_) {
            error = "serial format " + error;
            return false;
        }
        std::vector<std::uint8_t> image;
        if (!ImageWithSettings(golden_, {{"usb.serial", serials_->Format(nextNumber_)}}, image,
                               error)) {
            return false;
        }
    }
    if (description_.simulated.units > 0) {
        line_ = std::make_unique<SimulatedProductionLine>(description_.simulated, lineLock_);
    } else {
        std::unique_ptr<ChipAccess> access = ChipAccess::Open(ChipChoice{}, error);
        if (!access) {
            return false;
        }
        line_ = std::make_unique<SystemProductionLine>(std::move(access));
    }
    for (const std::string& name : line_->SlotNames()) {
        slots_[name].name = name;
    }
    log_ = std::make_unique<Log>(description_.logPath);
    return log_->Open(error);
}

void Station::Stop()
{
    // No call to the observer here: Stop() may come from inside one.
    stop_ = true;
}

void Station::Notify()
{
    if (StationObserver* observer = observer_) {
        observer->Changed();
    }
}

std::vector<StationSlot> Station::Slots() const
{
    std::lock_guard guard(state_);
    std::vector<StationSlot> slots;
    for (const auto& [name, slot] : slots_) {
        slots.push_back(slot);
    }
    return slots;
}

StationCounts Station::Counts() const
{
    std::lock_guard guard(state_);
    return counts_;
}

std::string Station::NextSerial() const
{
    std::lock_guard guard(state_);
    return serials_ ? serials_->Format(nextNumber_) : std::string();
}

std::string Station::SerialSource() const
{
    if (serials_) {
        return serials_->Text() + " from " + std::to_string(description_.serialStart);
    }
    return "the image's own serial";
}

void Station::SetSlot(const std::string& path, const StationSlot& slot)
{
    const std::string name = line_->SlotOf(path);
    {
        std::lock_guard guard(state_);
        StationSlot& kept = slots_[name];
        kept = slot;
        kept.name = name;
        kept.path = path;
    }
    Notify();
}

void Station::Progress(const std::string& path, int percent)
{
    const std::string name = line_->SlotOf(path);
    {
        std::lock_guard guard(state_);
        StationSlot& kept = slots_[name];
        if (kept.path != path) {
            return;
        }
        kept.progress = percent;
    }
    Notify();
}

Station::Result Station::ProgramUnit(const HidDeviceInfo& info, const std::string& serial,
                                     const std::vector<std::uint8_t>& image)
{
    Result r;
    r.unit.path = info.path;
    r.unit.vendorId = info.vendorId;
    r.unit.productId = info.productId;
    r.unit.serial = serial;
    const auto fail = [&r](const std::string& reason) {
        r.unit.result = "failed: " + reason;
        r.state = SlotState::Failed;
        return r;
    };
    Connection connection(line_->Transport(), info, &lineLock_);
    if (!connection.IsOpen()) {
        return fail(connection.OpenError());
    }
    Progress(info.path, 10);
    if (image.size() > static_cast<std::size_t>(connection.FittedEepromSize())) {
        return fail("the image is larger than the EEPROM");
    }
    std::string where;
    std::string error;
    if (!KeepBackup(connection.Library(), info.vendorId, info.productId,
                    static_cast<std::uint32_t>(image.size()), where, error)) {
        return fail(error);
    }
    Progress(info.path, 30);
    line_->BeforeWrite(info.path);
    if (!connection.Write(image)) {
        return fail("write");
    }
    Progress(info.path, 70);
    std::vector<std::uint8_t> back(image.size());
    if (!connection.Read(back)) {
        return fail("read back");
    }
    if (back != image) {
        return fail("verify");
    }
    r.unit.result = "ok";
    r.state = SlotState::Passed;
    return r;
}

StationSummary Station::Run(StationObserver* observer)
{
    observer_ = observer;
    // Finished units, handed from the workers to this thread.
    std::mutex doneMutex;
    std::condition_variable doneReady;
    std::deque<Result> done;

    std::map<std::string, std::thread> workers;
    std::set<std::string> waitingToLeave;
    int started = 0;
    int finished = 0;
    StationSummary summary;
    const auto startTime = std::chrono::steady_clock::now();

    while (true) {
        std::vector<Result> taken;
        {
            std::unique_lock guard(doneMutex);
            doneReady.wait_for(guard,
                               workers.empty() ? std::chrono::milliseconds(0) : kPollInterval,
                               [&done] { return !done.empty(); });
            taken.assign(std::make_move_iterator(done.begin()),
                         std::make_move_iterator(done.end()));
            done.clear();
        }
        for (Result& r : taken) {
            workers[r.unit.path].join();
            workers.erase(r.unit.path);
            r.unit.number = ++finished;
            if (observer != nullptr) {
                if (!r.unit.logProblem.empty()) {
                    observer->Problem("cannot append to the log " + description_.logPath);
                    observer->Problem(r.unit.logProblem);
                }
                observer->UnitFinished(r.unit);
            }
            waitingToLeave.insert(r.unit.path);
            line_->Done(r.unit.path);
        }
        const bool enough = description_.count && started >= *description_.count;
        if (workers.empty() && (stop_ || enough || line_->Exhausted())) {
            break;
        }
        std::vector<HidDeviceInfo> present;
        {
            std::lock_guard guard(lineLock_);
            present = line_->Transport().Enumerate();
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
            if (stop_ || (description_.count && started >= *description_.count)) {
                break;
            }
            if (info.vendorId != description_.vendorId ||
                info.productId != description_.productId || workers.count(info.path) != 0 ||
                waitingToLeave.count(info.path) != 0) {
                continue;
            }
            ++started;
            std::string serial;
            std::vector<std::uint8_t> image = golden_;
            std::string problem;
            {
                std::lock_guard guard(state_);
                // Each number is taken once, whatever becomes of its unit.
                const long long number = nextNumber_++;
                if (serials_) {
                    serial = serials_->Format(number);
                }
            }
            if (serials_) {
                std::vector<std::uint8_t> unit;
                if (ImageWithSettings(golden_, {{"usb.serial", serial}}, unit, problem)) {
                    std::copy(unit.begin(), unit.end(), image.begin());
                    problem.clear();
                } else {
                    problem = "failed: " + problem;
                }
            }
            StationSlot slot;
            slot.state = SlotState::Programming;
            slot.serial = serial;
            SetSlot(info.path, slot);
            workers[info.path] =
                std::thread([this, &doneMutex, &doneReady, &done, info, serial, image, problem] {
                    const auto begin = std::chrono::steady_clock::now();
                    Result r;
                    if (problem.empty()) {
                        r = ProgramUnit(info, serial, image);
                    } else {
                        r.unit.path = info.path;
                        r.unit.vendorId = info.vendorId;
                        r.unit.productId = info.productId;
                        r.unit.serial = serial;
                        r.unit.result = problem;
                    }
                    r.unit.ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now() - begin)
                                    .count();
                    // The line goes to the log before the port can take its next unit.
                    std::string logError;
                    if (!log_->Append(r.unit, logError)) {
                        r.unit.logProblem = logError;
                    }
                    const std::string slotName = line_->SlotOf(info.path);
                    {
                        std::lock_guard guard(state_);
                        if (!r.unit.logProblem.empty()) {
                            ++counts_.notLogged;
                        }
                        ++(r.state == SlotState::Passed ? counts_.passed : counts_.failed);
                        StationSlot& kept = slots_[slotName];
                        kept.state = r.state;
                        kept.progress = 100;
                        kept.result = r.unit.result;
                    }
                    Notify();
                    {
                        std::lock_guard guard(doneMutex);
                        done.push_back(std::move(r));
                    }
                    doneReady.notify_one();
                });
        }
        if (workers.empty() && !stop_) {
            std::this_thread::sleep_for(kPollInterval);
        }
    }
    observer_ = nullptr;
    summary.counts = Counts();
    summary.ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now() - startTime)
                     .count();
    return summary;
}

}  // namespace tovrik
