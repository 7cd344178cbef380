// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "formats/serial_format.h"
#include "services/serial_ledger.h"
#include "session/production_line.h"

namespace tovrik {

// What a station is started from: the golden image, where the serials come
// from, the chips it takes and where it logs them.
struct StationDescription {
    std::string imagePath;
    std::uint16_t vendorId = SimulatedChip::kDefaultVendorId;
    std::uint16_t productId = SimulatedChip::kDefaultProductId;
    // Where the serials come from: exactly one of a format (printf-like with
    // one integer conversion, see SerialFormat), a list file (one serial a
    // line, each used once) or the image's own serial on every unit.
    std::string serialFormat;
    std::string serialList;
    bool sameSerial = false;
    // The format's first number. None: the series the ledger keeps goes on
    // (from 1 in a new ledger).
    std::optional<long long> serialStart;
    // A start at or below a serial the ledger records is refused unless this is set.
    bool reuseSerials = false;
    // The serial ledger; empty: the one of the format (or of lists) in the
    // user's state folder.
    std::string ledgerPath;
    // Units that already hold an image are programmed too instead of skipped.
    bool reprogram = false;
    // Units to program, failed ones included, skipped ones not; none: until
    // stopped or the line is empty.
    std::optional<int> count;
    // The CSV log, appended to.
    std::string logPath;
    // units > 0: a simulated line instead of the system's chips.
    SimulatedLineOptions simulated;
};

// Where a port or simulated slot is in programming its unit.
enum class SlotState { Waiting, Programming, Passed, Failed, Skipped };

// One port (or simulated slot) as the station last saw it.
struct StationSlot {
    std::string name;  // the port's path, or "slot N" on a simulated line
    SlotState state = SlotState::Waiting;
    std::string path;    // the unit's interface; empty while waiting for one
    int progress = 0;    // percent, while programming
    std::string serial;  // the unit's serial, once it has one
    std::string result;  // the log's result: "ok", "failed: REASON", "skipped: REASON"
};

// A unit the station is done with, as its log line has it.
struct StationUnit {
    int number = 0;  // in the order the units finished, from 1
    std::string path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string serial;
    std::string result;
    long long ms = 0;
    // Why the log could not take the line; empty when it did.
    std::string logProblem;
};

struct StationCounts {
    int passed = 0;
    int failed = 0;
    int skipped = 0;
    // Of the failed: units whose line the log could not take.
    int notLogged = 0;
};

// What a run came to.
struct StationSummary {
    StationCounts counts;
    long long ms = 0;
    // Why the run ended before its units were done (the log or the ledger
    // cannot be appended to, say); empty when it ran its course or was stopped.
    std::string problem;
};

// Hears from a running station. Changed() may come from any of the
// station's threads; a window posts it to its own thread and reads the
// station's state there. The others come on the thread that calls Run().
class StationObserver {
public:
    virtual ~StationObserver() = default;
    // Something Slots(), Counts() or NextSerial() show has changed.
    virtual void Changed() {}
    // A unit is done and its line was appended to the log (or could not be).
    virtual void UnitFinished(const StationUnit& /*unit*/) {}
    // A line for the operator: what went wrong outside a unit.
    virtual void Problem(const std::string& /*text*/) {}
};

// The production station: programs every chip with the ids that appears on
// the line with the golden image, each with its own serial, verifies it and
// logs it. One engine for the command line and the windows.
class Station {
public:
    // Checks the description (the golden image loads as an image, the
    // longest serial the source can give fits the serial string, the ledger
    // allows the start) and opens the ledger, the line and the log; nullptr,
    // with the reason in `error`, when the station cannot start. No unit is
    // touched then.
    static std::unique_ptr<Station> Prepare(const StationDescription& description,
                                            std::string& error);
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    // Programs every unit that appears until `count` units are done, the
    // simulated line has none left, or Stop(); units in progress are
    // finished first. Blocks; a window calls it on a thread of its own.
    StationSummary Run(StationObserver* observer = nullptr);
    // From any thread: no unit is started any more.
    void Stop();
    bool Stopping() const { return stop_; }

    // The state, read from any thread.
    std::vector<StationSlot> Slots() const;
    StationCounts Counts() const;
    // The serial the next unit gets; empty when there is none to give.
    std::string NextSerial() const;
    // Where the ledger is kept; empty without one (the image's own serial).
    std::string LedgerPath() const;
    // The golden image's SHA-256, first 16 hexadecimal digits.
    const std::string& ImageChecksum() const { return checksum_; }
    const std::string& ImagePath() const { return description_.imagePath; }
    // Where the serials come from, in words.
    std::string SerialSource() const;
    const std::string& LogPath() const { return description_.logPath; }

private:
    struct Result;
    class Log;

    explicit Station(const StationDescription& description);
    bool Open(std::string& error);
    bool OpenSerialSource(std::string& error);
    bool CheckSerialFits(const std::string& serial, std::string& error);
    // Whether the number is passed over rather than given.
    bool Passed(long long number) const;
    // The next serial and its number (-1 for a list's), taken under `state_`.
    std::optional<std::pair<long long, std::string>> PeekLocked() const;
    bool SerialsLeftLocked() const;
    void SetSlot(const std::string& path, const StationSlot& slot);
    void Progress(const std::string& path, int percent);
    Result ProgramUnit(const HidDeviceInfo& info);
    void EndRun(const std::string& problem);
    void Notify();

    StationDescription description_;
    std::vector<std::uint8_t> golden_;
    std::string goldenSerial_;
    std::string checksum_;
    std::optional<SerialFormat> serials_;
    std::vector<std::string> list_;
    std::unique_ptr<SerialLedger> ledger_;
    std::mutex ledgerLock_;
    // The pages are run on an in-memory chip to put each unit's serial into its image.
    std::mutex imageLock_;
    std::mutex lineLock_;
    std::unique_ptr<ProductionLine> line_;
    std::unique_ptr<Log> log_;
    std::atomic<bool> stop_{false};
    std::atomic<StationObserver*> observer_{nullptr};

    mutable std::mutex state_;
    std::map<std::string, StationSlot> slots_;  // by the slot's name
    StationCounts counts_;
    long long nextNumber_ = 1;
    // The start of a series the ledger does not know yet, recorded when the station opens.
    std::optional<long long> newSeries_;
    std::size_t nextListEntry_ = 0;
    // Units started that have not yet taken their serial (or been skipped).
    int claims_ = 0;
    std::string problem_;
};

// Why Prepare refuses a description without a serial source.
extern const char* const kNoSerialSource;

// The text of a slot's state, as a window shows it.
const char* SlotStateText(SlotState state);

}  // namespace tovrik
