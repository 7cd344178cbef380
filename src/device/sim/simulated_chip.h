// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "device/command_protocol.h"
#include "device/hid_transport.h"
#include "platform/file_lock.h"

namespace tovrik {

struct SimulatedChipOptions {
    // Fitted EEPROM: 256, 512, 1024 or 2048 bytes; anything else falls back to 256.
    int eepromSize = 256;
    // When set, the EEPROM lives in this file: loaded at construction (a file
    // of another size than 256, 512, 1024 or 2048 bytes is refused, see
    // BackingFileError), created from `initialEeprom` when absent, and changed
    // where bytes change, flushed to disk before an EEPROM write is done. The
    // file is locked while the chip lives (FILE.lock beside it): a file another
    // chip uses is refused the same way.
    std::string backingFile;
    // Initial EEPROM contents; shorter vectors are padded with 0xFF.
    std::vector<std::uint8_t> initialEeprom;
    std::uint8_t deviceCode = 23;
    // Start with real timing (see SetRealTiming) instead of virtual.
    bool realTiming = false;
};

// What crossed the wire and the chip's I2C bus, and the time the timing model
// gives it. Every count only grows; a reader takes differences.
struct SimTraffic {
    std::uint64_t reportsOut = 0;  // interrupt reports from the host
    std::uint64_t reportsIn = 0;   // interrupt reports the host took
    std::uint64_t controlTransfers = 0;
    std::uint64_t i2cBytes = 0;  // slave and word address bytes included
    std::uint64_t writeCycles = 0;
    std::uint64_t timeUs = 0;

    SimTraffic operator-(const SimTraffic& earlier) const;
};

// The costs of the timing model, in microseconds.
struct SimTimingCosts {
    static constexpr int kReportUs = 1000;     // one interrupt report: one full-speed frame
    static constexpr int kControlUs = 1500;    // one control transfer
    static constexpr int kI2cByteUs100k = 90;  // nine clocks at 100 kHz
    static constexpr int kI2cByteUs400k = 23;  // nine clocks at 400 kHz
    static constexpr int kWriteCycleUs = 5000;
};

// The device side of the command protocol: a chip with its boot EEPROM, 256
// registers, an I2C bus with a 24C02-like memory, sixteen GPIO pins and event
// sources. Thread-safe: a host may read from one thread and write from another
// while a test or front end plugs, unplugs and injects events from a third.
class SimulatedChip {
public:
    static constexpr std::uint16_t kDefaultVendorId = 0x1209;
    static constexpr std::uint16_t kDefaultProductId = 0x0001;
    static constexpr const char* kDefaultManufacturer = "Tovrik";
    static constexpr const char* kDefaultProduct = "Tovrik USB Audio";
    static constexpr std::uint8_t kI2cMemoryAddress = 0xA0;
    static constexpr int kI2cMemorySize = 256;
    static constexpr int kI2cMemoryPage = 8;

    // Commands seen since construction, for tests and front ends.
    struct Counters {
        int registerWrites = 0;
        int eepromReadCommands = 0;
        int eepromWriteCommands = 0;
        int eepromTransfers = 0;
        int i2cCommands = 0;
        int gpioCommands = 0;
        int infoReports = 0;
        int inputReportsRead = 0;  // interrupt reports the host has taken
        int dataReportsOut = 0;    // data reports from the host
    };

    // Called with true after Plug, and with false when Unplug starts, before the
    // chip goes, on the caller's thread: so the system's removal notice is queued
    // ahead of anything a reader of the vanishing device posts.
    using PlugListener = std::function<void(bool plugged)>;

    explicit SimulatedChip(SimulatedChipOptions options = {});
    ~SimulatedChip();
    SimulatedChip(const SimulatedChip&) = delete;
    SimulatedChip& operator=(const SimulatedChip&) = delete;

    // --- Power and enumeration ---
    void Unplug();
    // Boots from the EEPROM, as at power-up, and appears on the bus.
    void Plug();
    bool IsPlugged() const;
    // Ids and strings as enumerated (path left empty); std::nullopt while unplugged.
    std::optional<HidDeviceInfo> Enumeration() const;
    int AddPlugListener(PlugListener listener);
    void RemovePlugListener(int id);
    // Called with the chip's lock held each time an input report is queued for
    // the host, so a transport can signal readiness the way a device node does;
    // it must not call back into the chip. An empty function removes it.
    void SetReportQueuedListener(std::function<void()> listener);

    // --- Host side, used by the transport. A session names the plug-in during
    // which a handle was opened; calls with a session from before the last
    // unplug fail with -1, like a handle to a device that went away. ---
    struct Session {
        std::uint64_t id = 0;
        std::uint16_t vendorId = 0;
        std::uint16_t productId = 0;
    };
    std::optional<Session> OpenSession();
    int HostWrite(std::uint64_t session, const std::uint8_t* report, int length);
    // Returns 0 at once, with nothing taken, while `woken` is set.
    int HostRead(std::uint64_t session, std::uint8_t* buffer, int capacity, int timeoutMs,
                 const std::atomic<bool>* woken = nullptr);
    // Makes waiting HostReads look at their `woken` flag again.
    void WakeHostReaders();
    int HostGetInputReport(std::uint64_t session, std::uint8_t* buffer, int capacity);

    // --- Events: each queues one event report; false while unplugged. ---
    bool PressKeyShort(std::uint8_t key);
    bool PressKeyLong(std::uint8_t key);
    bool MixerKeyDown(std::uint8_t key);
    bool MixerKeyUp(std::uint8_t key);
    bool GpiEvent(const std::array<std::uint8_t, 4>& bytes);
    bool GenericEvent(const std::array<std::uint8_t, 8>& bytes);
    bool I2cEvent(const std::array<std::uint8_t, 8>& bytes);
    // Any kind with all eight event bytes, for scripts that give them in full.
    bool RaiseEvent(protocol::EventKind kind, const std::array<std::uint8_t, 8>& bytes);

    // --- Fault injection ---
    // The n-th EEPROM transfer from now (1-based) answers every chunk with an
    // error; 0 cancels.
    void FailEepromTransfer(int n);
    void RefuseInputReport1(bool refuse);
    // While held, commands are carried out but their answers are kept back, so
    // the host times out; releasing sends the kept answers late, all at once.
    void HoldAnswers(bool hold);
    // The n-th EEPROM write cycle from now (1-based) is acknowledged but stores
    // nothing, like a worn cell; 0 cancels.
    void DropEepromWriteCycle(int n);
    // The next interrupt report the host takes is cut to `length` bytes, as a
    // faulty device might send it; 0 cancels.
    void CutNextInputReport(int length);
    // The last data report of the next read (EEPROM or I2C) carries `status`
    // instead of success, as from a chip whose bus failed before the read's
    // end; protocol::kStatusOk cancels.
    void FailNextReadData(std::uint8_t status);

    // --- Timing model: virtual time only counts; real time also makes the
    // calling thread sleep for the modelled time of what it did. ---
    void SetRealTiming(bool real);
    bool RealTiming() const;
    void SetWriteCycleUs(int us);
    // 100 or 400; false for anything else.
    bool SetI2cKhz(int khz);
    SimTraffic Traffic() const;

    // --- Set-up, effective at once ---
    // The ids enumerated and reported from now on; the next Plug boots from the
    // EEPROM again, which brings back the ids stored there (or the defaults).
    void SetIds(std::uint16_t vendorId, std::uint16_t productId);
    // The device code input report 1 carries once it was released.
    void SetDeviceCode(std::uint8_t code);
    // Fits an EEPROM of another size (256, 512, 1024 or 2048 bytes): the bytes
    // that still fit stay, new ones read 0xFF. False for other sizes or when
    // the backing file could not be written.
    bool SetEepromSize(int size);

    // --- State ---
    int EepromSize() const;
    // Interrupt reports queued for the host and not read yet.
    int PendingInputReports() const;
    std::vector<std::uint8_t> Eeprom() const;
    // Replaces the EEPROM contents (padded with 0xFF), the backing file too;
    // takes effect on the chip at the next Plug. False when the file write failed.
    bool SetEeprom(const std::vector<std::uint8_t>& bytes);
    std::uint8_t Register(std::uint8_t reg) const;
    std::uint16_t GpioDirection() const;
    std::uint16_t GpioLevel() const;
    std::vector<std::uint8_t> I2cMemory() const;
    // The UCQ string read at the last boot; empty when none.
    std::string UcqString() const;
    Counters GetCounters() const;
    // Why the backing file was refused at construction (every EEPROM write
    // then fails and the file stays as it was); empty when it is in use.
    std::string BackingFileError() const;
    // Why the last change of the backing file failed (the system's reason, naming
    // the file); empty while the file takes every change.
    std::string LastFileError() const;

private:
    void BootLocked();
    void QueueReportLocked(const protocol::Report& report);
    // Queues the delayed answers whose time has come.
    void ReleaseDelayedLocked();
    bool QueueEvent(protocol::EventKind kind, const std::uint8_t* bytes, int length);
    void HandleRegisterWriteLocked(const std::uint8_t* report, int length);
    void HandleCommandLocked(const std::uint8_t* report, int length);
    void HandleDataLocked(const std::uint8_t* report, int length);
    // Status of a request whose data, if it has any, is in pendingData_.
    std::uint8_t CarryOutLocked(const protocol::Report& request);
    std::uint8_t CheckEepromRequestLocked(const protocol::Report& request);
    std::uint8_t CheckI2cRequestLocked(const protocol::Report& request);
    // False when a page could not be kept in the backing file.
    bool WriteEepromLocked(const std::vector<protocol::Span>& spans,
                           const std::vector<std::uint8_t>& data);
    void WriteI2cMemoryLocked(const std::vector<protocol::Span>& spans,
                              const std::vector<std::uint8_t>& data);
    void QueueStatusLocked(const protocol::Report& request, std::uint8_t status);
    void QueueDataLocked(const protocol::Report& request, const std::vector<std::uint8_t>& data);
    void SpendLocked(std::uint64_t us) { traffic_.timeUs += us; }
    void BusBytesLocked(std::uint64_t bytes);
    void SleepModelled(std::uint64_t us) const;
    void LoadBackingFileLocked();
    bool PersistLocked();
    void NotifyPlug(bool plugged);

    mutable std::mutex mutex_;
    std::condition_variable inputReady_;
    SimulatedChipOptions options_;
    int eepromSize_ = 256;
    std::vector<std::uint8_t> eeprom_;
    // What the backing file holds, so a write changes only the bytes that differ.
    std::vector<std::uint8_t> fileImage_;
    std::string backingFileError_;
    // Held while this chip uses its backing file: a second chip on the same file, in this
    // process or another, is refused rather than mixing its writes with ours.
    std::unique_ptr<FileLock> backingLock_;
    std::string lastFileError_;

    bool plugged_ = true;
    // Listeners are being told of an unplug; the chip is still there.
    bool unplugging_ = false;
    std::uint64_t generation_ = 1;  // bumped by every unplug and plug
    std::deque<protocol::Report> inputReports_;

    std::array<std::uint8_t, 256> registers_{};
    bool deviceCodeUnlocked_ = false;
    std::uint16_t vendorId_ = kDefaultVendorId;
    std::uint16_t productId_ = kDefaultProductId;
    std::array<std::string, 4> strings_;  // manufacturer, product, serial, UCQ

    std::vector<std::uint8_t> i2cMemory_;
    std::uint16_t gpioDirection_ = 0;
    std::uint16_t gpioLevel_ = 0;

    std::optional<std::uint8_t> lastEepromTag_;
    int failTransferCountdown_ = 0;
    bool failCurrentTransfer_ = false;
    bool refuseInputReport1_ = false;
    bool holdAnswers_ = false;
    std::vector<protocol::Report> heldAnswers_;
    int dropWriteCycleCountdown_ = 0;
    int cutNextReport_ = 0;
    std::uint8_t nextReadDataStatus_ = protocol::kStatusOk;
    Counters counters_;

    // A write whose data reports are still arriving.
    std::optional<protocol::Report> pendingRequest_;
    std::vector<std::uint8_t> pendingData_;
    int pendingReports_ = 0;

    bool realTiming_ = false;
    // Modelled time already slept by the write cycles of the report being handled.
    std::uint64_t sleptUs_ = 0;
    int writeCycleUs_ = SimTimingCosts::kWriteCycleUs;
    int i2cByteUs_ = SimTimingCosts::kI2cByteUs100k;
    SimTraffic traffic_;
    // While set, queued reports wait here until the modelled time was slept.
    bool deferReports_ = false;
    std::vector<protocol::Report> deferredReports_;
    // In real time the host's write returns after its own frame; the chip's
    // work goes on until the time noted with its answers, which the host can
    // read only from then on, as from a chip that is busy while the host waits.
    std::deque<std::pair<std::chrono::steady_clock::time_point, protocol::Report>> delayedReports_;
    std::chrono::steady_clock::time_point busyUntil_{};
    std::function<void()> reportQueued_;

    // Separate from mutex_ so listeners may call the chip's accessors.
    std::mutex listenerMutex_;
    std::map<int, PlugListener> listeners_;
    int nextListenerId_ = 1;
};

}  // namespace tovrik
