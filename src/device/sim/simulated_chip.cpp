// SPDX-License-Identifier: MIT
#include "device/sim/simulated_chip.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/safe_file.h"

namespace tovrik {

namespace p = protocol;

namespace {

// Interrupt reports nobody reads are dropped oldest first beyond this many,
// as a device's endpoint buffer would.
constexpr std::size_t kMaxQueuedReports = 256;

}  // namespace

SimulatedChip::SimulatedChip(SimulatedChipOptions options) : options_(std::move(options))
{
    eepromSize_ = p::IsEepromSize(options_.eepromSize) ? options_.eepromSize : 256;
    eeprom_.assign(eepromSize_, 0xFF);
    std::copy_n(options_.initialEeprom.begin(),
                std::min<std::size_t>(options_.initialEeprom.size(), eeprom_.size()),
                eeprom_.begin());
    i2cMemory_.assign(kI2cMemorySize, 0xFF);
    realTiming_ = options_.realTiming;

    std::lock_guard lock(mutex_);
    if (!options_.backingFile.empty()) {
        LoadBackingFileLocked();
    }
    BootLocked();
}

SimulatedChip::~SimulatedChip() = default;

void SimulatedChip::LoadBackingFileLocked()
{
    const std::string& file = options_.backingFile;
    FileLock::Result lock = FileLock::TryAcquire(file);
    if (lock.status == FileLock::Status::HeldElsewhere) {
        backingFileError_ = file + " is in use by another simulated chip, in this or another "
                                   "program; it is left to that one";
        return;
    }
    // A lock that cannot be had at all (a missing folder) leaves the chip unguarded: its
    // writes fail later and say why.
    backingLock_ = std::move(lock.lock);
    if (!FileExists(file)) {
        // A failure here shows later: every EEPROM write tries the file again and fails.
        PersistLocked();
        return;
    }
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadFileBounded(file, kMaxImageFileBytes, bytes, error)) {
        backingFileError_ = error;
        return;
    }
    // A file of another size is no EEPROM image (a crash may have cut it
    // short): taking it as an erased EEPROM would lose its contents unseen.
    if (!p::IsEepromSize(static_cast<int>(bytes.size()))) {
        backingFileError_ =
            file + ": " + std::to_string(bytes.size()) +
            " bytes is not the size of an EEPROM image (256, 512, 1024 or 2048 bytes)";
        return;
    }
    std::fill(eeprom_.begin(), eeprom_.end(), 0xFF);
    std::copy_n(bytes.begin(), std::min(bytes.size(), eeprom_.size()), eeprom_.begin());
    fileImage_ = std::move(bytes);
}

std::string SimulatedChip::BackingFileError() const
{
    std::lock_guard lock(mutex_);
    return backingFileError_;
}

std::string SimulatedChip::LastFileError() const
{
    std::lock_guard lock(mutex_);
    return lastFileError_;
}

// --- Power and enumeration ---

void SimulatedChip::Unplug()
{
    {
        std::lock_guard lock(mutex_);
        if (!plugged_ || unplugging_) {
            return;
        }
        unplugging_ = true;
    }
    NotifyPlug(false);
    {
        std::lock_guard lock(mutex_);
        unplugging_ = false;
        plugged_ = false;
        ++generation_;
        inputReports_.clear();
        delayedReports_.clear();
        heldAnswers_.clear();
    }
    inputReady_.notify_all();
}

void SimulatedChip::Plug()
{
    {
        std::lock_guard lock(mutex_);
        if (plugged_) {
            return;
        }
        plugged_ = true;
        ++generation_;
        inputReports_.clear();
        delayedReports_.clear();
        BootLocked();
    }
    inputReady_.notify_all();
    NotifyPlug(true);
}

bool SimulatedChip::IsPlugged() const
{
    std::lock_guard lock(mutex_);
    return plugged_;
}

std::optional<HidDeviceInfo> SimulatedChip::Enumeration() const
{
    std::lock_guard lock(mutex_);
    if (!plugged_) {
        return std::nullopt;
    }
    HidDeviceInfo info;
    info.vendorId = vendorId_;
    info.productId = productId_;
    info.manufacturer = strings_[0];
    info.product = strings_[1];
    info.serialNumber = strings_[2];
    return info;
}

int SimulatedChip::AddPlugListener(PlugListener listener)
{
    std::lock_guard lock(listenerMutex_);
    const int id = nextListenerId_++;
    listeners_.emplace(id, std::move(listener));
    return id;
}

void SimulatedChip::RemovePlugListener(int id)
{
    std::lock_guard lock(listenerMutex_);
    listeners_.erase(id);
}

void SimulatedChip::NotifyPlug(bool plugged)
{
    // Held while calling so that a listener being removed is never called afterwards.
    std::lock_guard lock(listenerMutex_);
    for (auto& [id, listener] : listeners_) {
        listener(plugged);
    }
}

// --- Host side ---

std::optional<SimulatedChip::Session> SimulatedChip::OpenSession()
{
    std::lock_guard lock(mutex_);
    if (!plugged_) {
        return std::nullopt;
    }
    // A new host starts its transfer tags afresh, so the next EEPROM command
    // always begins a new transfer.
    lastEepromTag_.reset();
    pendingRequest_.reset();
    pendingData_.clear();
    return Session{generation_, vendorId_, productId_};
}

int SimulatedChip::HostWrite(std::uint64_t session, const std::uint8_t* report, int length)
{
    std::uint64_t spent = 0;
    bool real = false;
    {
        std::lock_guard lock(mutex_);
        if (!plugged_ || session != generation_ || report == nullptr || length < 1 ||
            length > p::kReportLength) {
            return -1;
        }
        const std::uint64_t before = traffic_.timeUs;
        ++traffic_.reportsOut;
        SpendLocked(SimTimingCosts::kReportUs);
        // In real time the answers wait until the work they answer was slept.
        deferReports_ = realTiming_;
        if (report[0] == p::kRegisterReportId) {
            HandleRegisterWriteLocked(report, length);
        } else if (report[0] == p::kCommandReportId) {
            HandleCommandLocked(report, length);
        } else if (report[0] == p::kDataReportId) {
            HandleDataLocked(report, length);
        }
        deferReports_ = false;
        spent = traffic_.timeUs - before - sleptUs_;
        sleptUs_ = 0;
        real = realTiming_;
    }
    if (real) {
        // The report itself takes its frame on the caller's thread; the chip's
        // work after it takes the rest while the host waits for the answer.
        const std::uint64_t frame = std::min<std::uint64_t>(spent, SimTimingCosts::kReportUs);
        SleepModelled(frame);
        std::lock_guard lock(mutex_);
        const auto now = std::chrono::steady_clock::now();
        busyUntil_ = std::max(busyUntil_, now) + std::chrono::microseconds(spent - frame);
        if (plugged_ && session == generation_) {
            for (const p::Report& r : deferredReports_) {
                delayedReports_.emplace_back(busyUntil_, r);
            }
        }
        deferredReports_.clear();
        ReleaseDelayedLocked();
    }
    inputReady_.notify_all();
    return length;
}

int SimulatedChip::HostRead(std::uint64_t session, std::uint8_t* buffer, int capacity,
                            int timeoutMs, const std::atomic<bool>* woken)
{
    if (buffer == nullptr || capacity <= 0) {
        return -1;
    }
    const auto isWoken = [&] { return woken != nullptr && woken->load(); };
    std::unique_lock lock(mutex_);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        ReleaseDelayedLocked();
        if (!plugged_ || session != generation_ || !inputReports_.empty() || isWoken() ||
            std::chrono::steady_clock::now() >= deadline) {
            break;
        }
        const auto until =
            delayedReports_.empty() ? deadline : std::min(deadline, delayedReports_.front().first);
        inputReady_.wait_until(lock, until);
    }
    if (!plugged_ || session != generation_) {
        return -1;
    }
    if (inputReports_.empty() || isWoken()) {
        return 0;
    }
    const p::Report report = inputReports_.front();
    inputReports_.pop_front();
    ++counters_.inputReportsRead;
    ++traffic_.reportsIn;
    SpendLocked(SimTimingCosts::kReportUs);
    int n = std::min(capacity, p::kReportLength);
    if (cutNextReport_ > 0) {
        n = std::min(n, cutNextReport_);
        cutNextReport_ = 0;
    }
    std::copy_n(report.begin(), n, buffer);
    if (realTiming_) {
        lock.unlock();
        SleepModelled(SimTimingCosts::kReportUs);
    }
    return n;
}

int SimulatedChip::HostGetInputReport(std::uint64_t session, std::uint8_t* buffer, int capacity)
{
    {
        std::lock_guard lock(mutex_);
        if (!plugged_ || session != generation_ || buffer == nullptr || capacity <= 0) {
            return -1;
        }
        ++traffic_.controlTransfers;
        SpendLocked(SimTimingCosts::kControlUs);
    }
    if (RealTiming()) {
        SleepModelled(SimTimingCosts::kControlUs);
    }
    std::lock_guard lock(mutex_);
    if (!plugged_ || session != generation_ || buffer[0] != p::kRegisterReportId ||
        refuseInputReport1_) {
        return -1;
    }
    ++counters_.infoReports;
    p::Report report{};
    report[0] = p::kRegisterReportId;
    report[p::kInfoVendorId] = vendorId_ & 0xFF;
    report[p::kInfoVendorId + 1] = vendorId_ >> 8;
    report[p::kInfoProductId] = productId_ & 0xFF;
    report[p::kInfoProductId + 1] = productId_ >> 8;
    report[p::kInfoEepromPages] = static_cast<std::uint8_t>(eepromSize_ / 256);
    report[p::kInfoVersion] = p::kProtocolVersion;
    report[p::kInfoDeviceCode] = deviceCodeUnlocked_ ? options_.deviceCode : 0;
    const int n = std::min(capacity, p::kInfoReportLength);
    std::copy_n(report.begin(), n, buffer);
    return n;
}

void SimulatedChip::WakeHostReaders()
{
    {
        // Taken so that a reader between its check and its wait cannot miss this.
        std::lock_guard lock(mutex_);
    }
    inputReady_.notify_all();
}

void SimulatedChip::ReleaseDelayedLocked()
{
    const auto now = std::chrono::steady_clock::now();
    while (!delayedReports_.empty() && delayedReports_.front().first <= now) {
        const p::Report report = delayedReports_.front().second;
        delayedReports_.pop_front();
        QueueReportLocked(report);
    }
}

void SimulatedChip::QueueReportLocked(const p::Report& report)
{
    if (deferReports_) {
        deferredReports_.push_back(report);
        return;
    }
    if (inputReports_.size() >= kMaxQueuedReports) {
        inputReports_.pop_front();
    }
    inputReports_.push_back(report);
    if (reportQueued_) {
        reportQueued_();
    }
}

void SimulatedChip::SetReportQueuedListener(std::function<void()> listener)
{
    std::lock_guard lock(mutex_);
    reportQueued_ = std::move(listener);
}

void SimulatedChip::HandleRegisterWriteLocked(const std::uint8_t* report, int length)
{
    if (length < p::kRegisterReportLength || report[p::kRegisterReportMarker] != 0x01) {
        return;
    }
    ++counters_.registerWrites;
    const std::uint8_t reg = report[p::kRegisterReportRegister];
    const std::uint8_t value = report[p::kRegisterReportValue];
    registers_[reg] = value;
    if (reg == p::kDeviceCodeRegister && value == p::kDeviceCodeUnlock) {
        deviceCodeUnlocked_ = true;
    }
    if (reg == p::kRegisterDumpRegister && value == 0x01) {
        p::Report event{};
        event[0] = p::kEventReportId;
        event[p::kEventKind] = static_cast<std::uint8_t>(p::EventKind::Generic);
        const std::uint8_t first = registers_[p::kDeviceCodeRegister];
        event[p::kEventData] = first;
        for (int i = 1; i < p::kEventDataLength; ++i) {
            event[p::kEventData + i] = registers_[(first + i - 1) & 0xFF];
        }
        QueueReportLocked(event);
    }
}

void SimulatedChip::HandleCommandLocked(const std::uint8_t* report, int length)
{
    // A new request ends any write still waiting for its data.
    pendingRequest_.reset();
    pendingData_.clear();
    p::Report request{};
    std::copy_n(report, length, request.begin());
    if (length != p::kReportLength) {
        QueueStatusLocked(request, p::kStatusBadCommand);
        return;
    }
    const std::uint8_t opcode = request[p::kOpcode];
    std::uint8_t status = p::kStatusBadCommand;
    switch (opcode) {
        case p::kOpEepromRead:
        case p::kOpEepromWrite:
            status = CheckEepromRequestLocked(request);
            break;
        case p::kOpI2cRead:
        case p::kOpI2cWrite:
            status = CheckI2cRequestLocked(request);
            break;
        case p::kOpGpioDirection:
        case p::kOpGpioLevel:
            ++counters_.gpioCommands;
            if (p::Read16(request, p::kCommandCount) == 2) {
                const std::uint16_t mask = p::Read16(request, p::kCommandGpioMask);
                (opcode == p::kOpGpioDirection ? gpioDirection_ : gpioLevel_) = mask;
                status = p::kStatusOk;
            }
            QueueStatusLocked(request, status);
            return;
        default:
            break;
    }
    const bool write = opcode == p::kOpEepromWrite || opcode == p::kOpI2cWrite;
    const int selected = p::Read16(request, p::kCommandSelected);
    if (status != p::kStatusOk || !write || selected == 0) {
        status == p::kStatusOk ? static_cast<void>(CarryOutLocked(request))
                               : QueueStatusLocked(request, status);
        return;
    }
    pendingRequest_ = request;
    pendingReports_ = p::DataReports(selected);
}

void SimulatedChip::HandleDataLocked(const std::uint8_t* report, int length)
{
    ++counters_.dataReportsOut;
    if (!pendingRequest_ || length < p::kData) {
        return;
    }
    const p::Report& request = *pendingRequest_;
    // Data of another transfer (a late one, say) is not ours to take.
    if (report[p::kOpcode] != request[p::kOpcode] || report[p::kTag] != request[p::kTag] ||
        report[p::kSequence] != request[p::kSequence]) {
        return;
    }
    const int selected = p::Read16(request, p::kCommandSelected);
    const int index = report[p::kDataIndex] | (report[p::kDataIndex + 1] << 8);
    const int expected = std::min(p::kMaxData, selected - static_cast<int>(pendingData_.size()));
    const int n = report[p::kDataLength];
    if (index != static_cast<int>(pendingData_.size()) / p::kMaxData || n != expected ||
        length < p::kData + n) {
        const p::Report failed = request;
        pendingRequest_.reset();
        pendingData_.clear();
        QueueStatusLocked(failed, p::kStatusBadCommand);
        return;
    }
    pendingData_.insert(pendingData_.end(), report + p::kData, report + p::kData + n);
    if (static_cast<int>(pendingData_.size()) < selected) {
        return;
    }
    const p::Report complete = request;
    pendingRequest_.reset();
    CarryOutLocked(complete);
    pendingData_.clear();
}

void SimulatedChip::QueueStatusLocked(const p::Report& request, std::uint8_t status)
{
    p::Report answer{};
    answer[0] = p::kAnswerReportId;
    answer[p::kOpcode] = request[p::kOpcode];
    answer[p::kTag] = request[p::kTag];
    answer[p::kSequence] = request[p::kSequence];
    answer[p::kAnswerStatus] = status;
    answer[p::kAnswerAddress] = request[p::kCommandAddress];
    answer[p::kAnswerAddress + 1] = request[p::kCommandAddress + 1];
    answer[p::kAnswerCount] = request[p::kCommandCount];
    answer[p::kAnswerCount + 1] = request[p::kCommandCount + 1];
    if (holdAnswers_) {
        heldAnswers_.push_back(answer);
    } else {
        QueueReportLocked(answer);
    }
}

void SimulatedChip::QueueDataLocked(const p::Report& request, const std::vector<std::uint8_t>& data)
{
    const std::uint8_t lastStatus = nextReadDataStatus_;
    nextReadDataStatus_ = p::kStatusOk;
    for (std::size_t at = 0, index = 0; at < data.size(); at += p::kMaxData, ++index) {
        p::Report report{};
        report[0] = p::kDataReportId;
        report[p::kOpcode] = request[p::kOpcode];
        report[p::kTag] = request[p::kTag];
        report[p::kSequence] = request[p::kSequence];
        p::Put16(report, p::kDataIndex, static_cast<std::uint32_t>(index));
        const std::size_t n = std::min<std::size_t>(p::kMaxData, data.size() - at);
        report[p::kDataLength] = static_cast<std::uint8_t>(n);
        report[p::kDataStatus] = at + n < data.size() ? p::kStatusOk : lastStatus;
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), n, report.begin() + p::kData);
        if (holdAnswers_) {
            heldAnswers_.push_back(report);
        } else {
            QueueReportLocked(report);
        }
    }
}

// --- Events ---

bool SimulatedChip::QueueEvent(p::EventKind kind, const std::uint8_t* bytes, int length)
{
    {
        std::lock_guard lock(mutex_);
        if (!plugged_) {
            return false;
        }
        p::Report report{};
        report[0] = p::kEventReportId;
        report[p::kEventKind] = static_cast<std::uint8_t>(kind);
        std::copy_n(bytes, std::min(length, p::kEventDataLength), report.begin() + p::kEventData);
        QueueReportLocked(report);
    }
    inputReady_.notify_all();
    return true;
}

bool SimulatedChip::PressKeyShort(std::uint8_t key)
{
    return QueueEvent(p::EventKind::KeyShortPress, &key, 1);
}

bool SimulatedChip::PressKeyLong(std::uint8_t key)
{
    return QueueEvent(p::EventKind::KeyLongPress, &key, 1);
}

bool SimulatedChip::MixerKeyDown(std::uint8_t key)
{
    return QueueEvent(p::EventKind::MixerKeyDown, &key, 1);
}

bool SimulatedChip::MixerKeyUp(std::uint8_t key)
{
    return QueueEvent(p::EventKind::MixerKeyUp, &key, 1);
}

bool SimulatedChip::GpiEvent(const std::array<std::uint8_t, 4>& bytes)
{
    return QueueEvent(p::EventKind::Gpi, bytes.data(), static_cast<int>(bytes.size()));
}

bool SimulatedChip::GenericEvent(const std::array<std::uint8_t, 8>& bytes)
{
    return QueueEvent(p::EventKind::Generic, bytes.data(), static_cast<int>(bytes.size()));
}

bool SimulatedChip::I2cEvent(const std::array<std::uint8_t, 8>& bytes)
{
    return QueueEvent(p::EventKind::I2c, bytes.data(), static_cast<int>(bytes.size()));
}

bool SimulatedChip::RaiseEvent(p::EventKind kind, const std::array<std::uint8_t, 8>& bytes)
{
    return QueueEvent(kind, bytes.data(), static_cast<int>(bytes.size()));
}

// --- Fault injection ---

void SimulatedChip::FailEepromTransfer(int n)
{
    std::lock_guard lock(mutex_);
    failTransferCountdown_ = std::max(n, 0);
    failCurrentTransfer_ = false;
}

void SimulatedChip::DropEepromWriteCycle(int n)
{
    std::lock_guard lock(mutex_);
    dropWriteCycleCountdown_ = std::max(n, 0);
}

void SimulatedChip::CutNextInputReport(int length)
{
    std::lock_guard lock(mutex_);
    cutNextReport_ = std::max(length, 0);
}

void SimulatedChip::FailNextReadData(std::uint8_t status)
{
    std::lock_guard lock(mutex_);
    nextReadDataStatus_ = status;
}

void SimulatedChip::RefuseInputReport1(bool refuse)
{
    std::lock_guard lock(mutex_);
    refuseInputReport1_ = refuse;
}

void SimulatedChip::HoldAnswers(bool hold)
{
    {
        std::lock_guard lock(mutex_);
        holdAnswers_ = hold;
        if (hold) {
            return;
        }
        for (const p::Report& answer : heldAnswers_) {
            QueueReportLocked(answer);
        }
        heldAnswers_.clear();
    }
    inputReady_.notify_all();
}

// --- Set-up ---

void SimulatedChip::SetIds(std::uint16_t vendorId, std::uint16_t productId)
{
    std::lock_guard lock(mutex_);
    vendorId_ = vendorId;
    productId_ = productId;
}

void SimulatedChip::SetDeviceCode(std::uint8_t code)
{
    std::lock_guard lock(mutex_);
    options_.deviceCode = code;
}

// --- Timing model ---

SimTraffic SimTraffic::operator-(const SimTraffic& earlier) const
{
    return {reportsOut - earlier.reportsOut,
            reportsIn - earlier.reportsIn,
            controlTransfers - earlier.controlTransfers,
            i2cBytes - earlier.i2cBytes,
            writeCycles - earlier.writeCycles,
            timeUs - earlier.timeUs};
}

void SimulatedChip::SetRealTiming(bool real)
{
    std::lock_guard lock(mutex_);
    realTiming_ = real;
}

bool SimulatedChip::RealTiming() const
{
    std::lock_guard lock(mutex_);
    return realTiming_;
}

void SimulatedChip::SetWriteCycleUs(int us)
{
    std::lock_guard lock(mutex_);
    writeCycleUs_ = std::max(us, 0);
}

bool SimulatedChip::SetI2cKhz(int khz)
{
    if (khz != 100 && khz != 400) {
        return false;
    }
    std::lock_guard lock(mutex_);
    i2cByteUs_ = khz == 100 ? SimTimingCosts::kI2cByteUs100k : SimTimingCosts::kI2cByteUs400k;
    return true;
}

SimTraffic SimulatedChip::Traffic() const
{
    std::lock_guard lock(mutex_);
    return traffic_;
}

void SimulatedChip::BusBytesLocked(std::uint64_t bytes)
{
    traffic_.i2cBytes += bytes;
    SpendLocked(bytes * static_cast<std::uint64_t>(i2cByteUs_));
}

void SimulatedChip::SleepModelled(std::uint64_t us) const
{
    // Sleeps may end early (MinGW's round down to whole milliseconds), so this
    // sleeps again until the modelled time has passed.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(us);
    for (auto now = std::chrono::steady_clock::now(); now < deadline;
         now = std::chrono::steady_clock::now()) {
        std::this_thread::sleep_for(deadline - now);
    }
}

// --- State ---

int SimulatedChip::PendingInputReports() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(inputReports_.size() + delayedReports_.size());
}

std::uint8_t SimulatedChip::Register(std::uint8_t reg) const
{
    std::lock_guard lock(mutex_);
    return registers_[reg];
}

std::uint16_t SimulatedChip::GpioDirection() const
{
    std::lock_guard lock(mutex_);
    return gpioDirection_;
}

std::uint16_t SimulatedChip::GpioLevel() const
{
    std::lock_guard lock(mutex_);
    return gpioLevel_;
}

std::string SimulatedChip::UcqString() const
{
    std::lock_guard lock(mutex_);
    return strings_[3];
}

SimulatedChip::Counters SimulatedChip::GetCounters() const
{
    std::lock_guard lock(mutex_);
    return counters_;
}

}  // namespace tovrik
