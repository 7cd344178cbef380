// SPDX-License-Identifier: MIT
#include "station/station.h"

#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <set>
#include <thread>

#include "config/eeprom_config.h"
#include "device/sim/simulated_device.h"
#include "formats/sha256.h"
#include "platform/recording_prompter.h"
#include "platform/safe_file.h"
#include "session/backup_site.h"
#include "session/headless_tool.h"

namespace tovrik {

const char* const kNoSerialSource =
    "no serial source: give a serial format or a serial list, or say that every unit carries "
    "the image's own serial";

namespace {

constexpr std::size_t kLargestEeprom = 2048;
constexpr auto kPollInterval = std::chrono::milliseconds(20);
constexpr const char* kLogHeader = "time,path,vid,pid,serial,result,ms,image\n";
// The log is read once at start to check its columns and its last line.
constexpr std::size_t kLargestLog = 256 * 1024 * 1024;
// The highest first number a format's series may start from.
constexpr long long kHighestSerialNumber = 999999999999LL;

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

// What an EEPROM holds, as the tool loading it from a chip would find it.
enum class Holding { Nothing, Image, Damaged };

// With an image, its serial string in `serial`.
Holding HoldsImage(const std::vector<std::uint8_t>& eeprom, std::string& serial)
{
    SimulatedChipOptions options;
    options.initialEeprom.assign(eeprom.begin(),
                                 eeprom.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(
                                                      eeprom.size(), EepromConfig::kImageSize)));
    SimulatedDevice device(options);
    device.Start();
    RecordingPrompter prompter;
    EepromConfig config(device.Library(), prompter);
    serial.clear();
    // The chip in memory never fails a read: a load that fails found the
    // image's mark over content it cannot parse, and one that says something
    // found no mark ("EEPROM Empty").
    if (config.LoadFromEeprom() == 0) {
        return Holding::Damaged;
    }
    if (!prompter.Messages().empty()) {
        return Holding::Nothing;
    }
    config.GetString(2, serial);
    return Holding::Image;
}

bool HasControlCharacter(const std::string& text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return true;
        }
    }
    return false;
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
    Log(std::string path, std::string image) : path_(std::move(path)), image_(std::move(image)) {}

    // Makes the log or checks that it has this station's columns. A last
    // line a crash cut short is ended, so that the next line starts whole.
    bool Open(std::string& error)
    {
        std::string start;
        if (FileExists(path_)) {
            std::vector<std::uint8_t> bytes;
            if (!ReadFileBounded(path_, kLargestLog, bytes, error)) {
                error = "the log " + error + "; give a new log";
                return false;
            }
            const std::string text(bytes.begin(), bytes.end());
            if (!text.empty() && text.rfind(kLogHeader, 0) != 0) {
                error = "the log " + path_ + " does not start with the columns " +
                        std::string(kLogHeader).substr(0, std::string(kLogHeader).size() - 1) +
                        "; give a new log";
                return false;
            }
            if (text.empty()) {
                start = kLogHeader;
            } else if (text.back() != '\n') {
                start = "\n";
            }
        } else {
            start = kLogHeader;
        }
        if (!AppendFileDurably(path_, start, error)) {
            error = "cannot open the log: " + error;
            return false;
        }
        return true;
    }

    bool Append(const StationUnit& unit, std::string& error)
    {
        const std::string row = Now() + "," + CsvField(unit.path) + "," + Hex4(unit.vendorId) +
                                "," + Hex4(unit.productId) + "," + CsvField(unit.serial) + "," +
                                CsvField(unit.result) + "," + std::to_string(unit.ms) + "," +
                                image_ + "\n";
        std::lock_guard guard(mutex_);
        return AppendFileDurably(path_, row, error);
    }

private:
    std::string path_;
    std::string image_;
    std::mutex mutex_;
};

struct Station::Result {
    StationUnit unit;
    SlotState state = SlotState::Failed;
    // Why the run has to end (the ledger or the log failed); empty otherwise.
    std::string problem;
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
    if (HoldsImage(golden_, goldenSerial_) != Holding::Image) {
        error = description_.imagePath + " is not an EEPROM image the tool loads";
        return false;
    }
    checksum_ = Sha256Hex(golden_).substr(0, 16);
    if (!OpenSerialSource(error)) {
        return false;
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
    log_ = std::make_unique<Log>(description_.logPath, checksum_);
    if (!log_->Open(error)) {
        return false;
    }
    // A new series is recorded last, once nothing else can refuse the start.
    if (newSeries_ && !ledger_->BeginSeries(*newSeries_, error)) {
        return false;
    }
    return true;
}

bool Station::OpenSerialSource(std::string& error)
{
    const int sources = (description_.serialFormat.empty() ? 0 : 1) +
                        (description_.serialList.empty() ? 0 : 1) +
                        (description_.sameSerial ? 1 : 0);
    if (sources != 1) {
        error = sources == 0 ? kNoSerialSource
                             : "give one serial source: a format, a list or the image's own";
        return false;
    }
    if (description_.sameSerial) {
        return true;
    }
    std::string key;
    std::string longest;
    if (!description_.serialFormat.empty()) {
        serials_ = SerialFormat::Parse(description_.serialFormat, error);
        if (!serials_) {
            error = "serial format " + error;
            return false;
        }
        key = "format " + serials_->Text();
    } else {
        std::vector<std::uint8_t> bytes;
        if (!ReadFileBounded(description_.serialList, kMaxTextFileBytes, bytes, error)) {
            error = "serial list " + error;
            return false;
        }
        const std::string text(bytes.begin(), bytes.end());
        std::size_t at = 0;
        for (std::size_t lineNumber = 1; at < text.size(); ++lineNumber) {
            const std::size_t end = std::min(text.find('\n', at), text.size());
            std::string entry = text.substr(at, end - at);
            at = end + 1;
            const auto first = entry.find_first_not_of(" \t\r");
            entry = first == std::string::npos
                        ? std::string()
                        : entry.substr(first, entry.find_last_not_of(" \t\r") - first + 1);
            if (entry.empty()) {
                continue;
            }
            if (HasControlCharacter(entry)) {
                error = "serial list " + description_.serialList + ", line " +
                        std::to_string(lineNumber) + ": a serial with a control character";
                return false;
            }
            list_.push_back(entry);
            longest = entry.size() > longest.size() ? entry : longest;
        }
        if (list_.empty()) {
            error = "serial list " + description_.serialList + " holds no serial";
            return false;
        }
        key = "list";
    }
    const std::string ledgerPath =
        description_.ledgerPath.empty() ? SerialLedger::DefaultPath(key) : description_.ledgerPath;
    if (ledgerPath.empty()) {
        error =
            "no folder for the serial ledger: neither XDG_STATE_HOME, HOME nor LOCALAPPDATA "
            "is set; give a ledger file";
        return false;
    }
    ledger_ = SerialLedger::Open(ledgerPath, key, error);
    if (!ledger_) {
        return false;
    }
    if (!serials_) {
        while (nextListEntry_ < list_.size() && ledger_->Used(list_[nextListEntry_])) {
            ++nextListEntry_;
        }
        if (nextListEntry_ == list_.size()) {
            error = "every serial of the list " + description_.serialList +
                    " is used, as the ledger " + ledgerPath + " records";
            return false;
        }
        return CheckSerialFits(longest, error);
    }
    // Where the series goes on: after the highest serial of the same start.
    const std::optional<long long> recordedStart = ledger_->SeriesStart();
    const std::optional<long long> highest = ledger_->Highest();
    if (!recordedStart) {
        nextNumber_ = description_.serialStart.value_or(1);
        newSeries_ = nextNumber_;
        if (highest && nextNumber_ <= *highest && !description_.reuseSerials) {
            error = "the serial start " + std::to_string(nextNumber_) + " is at or below " +
                    serials_->Format(*highest) + ", which the ledger " + ledgerPath +
                    " records; start above it, or allow serials to be used again";
            return false;
        }
    } else if (!description_.serialStart || description_.serialStart == recordedStart) {
        const std::optional<long long> inSeries = ledger_->HighestInSeries();
        nextNumber_ = inSeries ? *inSeries + 1 : *recordedStart;
    } else {
        newSeries_ = description_.serialStart;
        nextNumber_ = *description_.serialStart;
        if (highest && nextNumber_ <= *highest && !description_.reuseSerials) {
            error = "the serial start " + std::to_string(nextNumber_) + " is at or below " +
                    serials_->Format(*highest) + ", which the ledger " + ledgerPath +
                    " records; start above it, or give the start the series began with (" +
                    std::to_string(recordedStart.value_or(*highest)) +
                    ") to go on, or allow serials to be used again";
            return false;
        }
    }
    while (Passed(nextNumber_)) {
        ++nextNumber_;
    }
    if (nextNumber_ > kHighestSerialNumber) {
        error = "the series has no serial number left";
        return false;
    }
    // The serials grow with the number: the last one the run can reach is the longest.
    const long long last =
        description_.count ? std::min(kHighestSerialNumber, nextNumber_ + *description_.count - 1)
                           : kHighestSerialNumber;
    for (const long long number : {nextNumber_, last}) {
        const std::string serial = serials_->Format(number);
        if (HasControlCharacter(serial)) {
            error = "serial format " + serials_->Text() + ": a serial with a control character";
            return false;
        }
        longest = serial.size() > longest.size() ? serial : longest;
    }
    return CheckSerialFits(longest, error);
}

bool Station::Passed(long long number) const
{
    // A serial that went to a unit that failed is never given again; one that
    // went to a good unit only when reuse was asked for.
    return ledger_->Spoiled(number) || (!description_.reuseSerials && ledger_->Recorded(number));
}

bool Station::CheckSerialFits(const std::string& serial, std::string& error)
{
    std::vector<std::uint8_t> image;
    if (!ImageWithSettings(golden_, {{"usb.serial", serial}}, image, error)) {
        error = "the serial " + serial + " does not fit the image: " + error;
        return false;
    }
    return true;
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

std::optional<std::pair<long long, std::string>> Station::PeekLocked() const
{
    if (description_.sameSerial) {
        return std::pair{-1LL, goldenSerial_};
    }
    if (serials_) {
        long long number = nextNumber_;
        while (Passed(number)) {
            ++number;
        }
        if (number > kHighestSerialNumber) {
            return std::nullopt;
        }
        return std::pair{number, serials_->Format(number)};
    }
    std::size_t entry = nextListEntry_;
    while (entry < list_.size() && ledger_->Used(list_[entry])) {
        ++entry;
    }
    if (entry == list_.size()) {
        return std::nullopt;
    }
    return std::pair{-1LL, list_[entry]};
}

bool Station::SerialsLeftLocked() const
{
    if (!serials_ && !description_.sameSerial) {
        return static_cast<int>(list_.size() - nextListEntry_) > claims_;
    }
    return PeekLocked().has_value();
}

std::string Station::NextSerial() const
{
    std::lock_guard guard(state_);
    const auto next = PeekLocked();
    return next ? next->second : std::string();
}

std::string Station::LedgerPath() const
{
    return ledger_ ? ledger_->Path() : std::string();
}

std::string Station::SerialSource() const
{
    if (serials_) {
        return serials_->Text() + " from " + std::to_string(nextNumber_);
    }
    if (!list_.empty()) {
        return "the list " + description_.serialList;
    }
    return "the image's own serial (" + goldenSerial_ + ")";
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

void Station::EndRun(const std::string& problem)
{
    {
        std::lock_guard guard(state_);
        if (problem_.empty()) {
            problem_ = problem;
        }
    }
    stop_ = true;
}

Station::Result Station::ProgramUnit(const HidDeviceInfo& info)
{
    Result r;
    r.unit.path = info.path;
    r.unit.vendorId = info.vendorId;
    r.unit.productId = info.productId;
    bool claimed = true;
    const auto release = [this, &claimed] {
        if (claimed) {
            std::lock_guard guard(state_);
            --claims_;
            claimed = false;
        }
    };
    const auto fail = [&r, &release](const std::string& reason) {
        release();
        r.unit.result = "failed: " + reason;
        r.state = SlotState::Failed;
        return r;
    };
    Connection connection(line_->Transport(), info, &lineLock_);
    if (!connection.IsOpen()) {
        return fail(connection.OpenError());
    }
    Progress(info.path, 5);
    if (golden_.size() > static_cast<std::size_t>(connection.FittedEepromSize())) {
        return fail("the image is larger than the EEPROM");
    }
    // Blank units only: one that holds an image is some earlier unit, programmed already.
    std::vector<std::uint8_t> present(EepromConfig::kImageSize);
    if (!connection.Read(present)) {
        return fail("read");
    }
    std::string holds;
    if (!description_.reprogram && HoldsImage(present, holds) != Holding::Nothing) {
        release();
        r.unit.result = holds.empty() ? "skipped: holds an image" : "skipped: holds " + holds;
        r.state = SlotState::Skipped;
        return r;
    }
    Progress(info.path, 15);

    // The serial is recorded before it goes anywhere near the unit.
    std::string serial;
    long long number = -1;
    {
        std::lock_guard ledgerGuard(ledgerLock_);
        std::optional<std::pair<long long, std::string>> next;
        {
            std::lock_guard guard(state_);
            next = PeekLocked();
        }
        if (!next) {
            return fail("no serial left");
        }
        number = next->first;
        serial = next->second;
        std::string error;
        if (ledger_ && !ledger_->Reserve(number, serial, error)) {
            r.problem = error;
            return fail(error);
        }
        std::lock_guard guard(state_);
        if (serials_) {
            nextNumber_ = number + 1;
        } else if (ledger_) {
            ++nextListEntry_;
        }
        --claims_;
        claimed = false;
    }
    r.unit.serial = serial;
    {
        StationSlot slot;
        slot.state = SlotState::Programming;
        slot.serial = serial;
        slot.progress = 20;
        SetSlot(info.path, slot);
    }
    std::vector<std::uint8_t> image = golden_;
    if (ledger_) {
        std::vector<std::uint8_t> withSerial;
        std::string error;
        bool made = false;
        {
            std::lock_guard guard(imageLock_);
            made = ImageWithSettings(golden_, {{"usb.serial", serial}}, withSerial, error);
        }
        if (!made) {
            return fail(error);
        }
        std::copy(withSerial.begin(), withSerial.end(), image.begin());
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
    if (observer != nullptr && ledger_) {
        for (const std::string& serial : ledger_->Unfinished()) {
            observer->Problem(serial +
                              " went to a unit of a run that ended before the unit was logged; "
                              "it is not given again");
        }
    }
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
            if (r.state == SlotState::Skipped) {
                --started;  // a skipped unit does not count toward the count
            }
            if (observer != nullptr) {
                observer->UnitFinished(r.unit);
            }
            // A unit left in its port is not taken again until it leaves and another comes.
            waitingToLeave.insert(r.unit.path);
            line_->Done(r.unit.path);
        }
        const bool enough = description_.count && started >= *description_.count;
        bool serialsLeft = false;
        {
            std::lock_guard guard(state_);
            serialsLeft = SerialsLeftLocked();
        }
        if (workers.empty() && (stop_ || enough || line_->Exhausted() || !serialsLeft)) {
            if (!serialsLeft && !stop_ && !enough && !line_->Exhausted() && observer != nullptr) {
                observer->Problem("no serial left to give: the station stops");
            }
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
            {
                std::lock_guard guard(state_);
                if (!SerialsLeftLocked()) {
                    break;
                }
                ++claims_;
            }
            ++started;
            StationSlot slot;
            slot.state = SlotState::Programming;
            SetSlot(info.path, slot);
            workers[info.path] = std::thread([this, &doneMutex, &doneReady, &done, info] {
                const auto begin = std::chrono::steady_clock::now();
                Result r = ProgramUnit(info);
                r.unit.ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - begin)
                                .count();
                // The line goes to the log before the port can take its next unit. A line
                // the log cannot take fails the unit and ends the run: nothing goes unlogged.
                std::string logError;
                if (!log_->Append(r.unit, logError)) {
                    r.unit.logProblem = logError;
                    r.unit.result = "failed: not logged: " + logError;
                    r.state = SlotState::Failed;
                    r.problem =
                        "cannot append to the log " + description_.logPath + ": " + logError;
                }
                if (ledger_ && !r.unit.serial.empty()) {
                    std::lock_guard ledgerGuard(ledgerLock_);
                    std::string error;
                    if (!ledger_->Finish(r.unit.serial, r.state == SlotState::Passed, error) &&
                        r.problem.empty()) {
                        r.problem = error;
                    }
                }
                if (!r.problem.empty()) {
                    EndRun(r.problem);
                }
                const std::string slotName = line_->SlotOf(info.path);
                {
                    std::lock_guard guard(state_);
                    if (!r.unit.logProblem.empty()) {
                        ++counts_.notLogged;
                    }
                    ++(r.state == SlotState::Passed    ? counts_.passed
                       : r.state == SlotState::Skipped ? counts_.skipped
                                                       : counts_.failed);
                    StationSlot& kept = slots_[slotName];
                    kept.state = r.state;
                    kept.serial = r.unit.serial;
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
    {
        std::lock_guard guard(state_);
        summary.problem = problem_;
    }
    summary.ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now() - startTime)
                     .count();
    return summary;
}

}  // namespace tovrik
