// SPDX-License-Identifier: MIT
#include "device/sim/simulated_chip.h"

#include <algorithm>
#include <span>

#include "platform/safe_file.h"

// The chip's I2C bus: the boot EEPROM with its reader, the 24C02-like memory,
// and the EEPROM's backing file. The HID side is in simulated_chip.cpp.
namespace tovrik {

namespace p = protocol;

namespace {

// Registers the boot reader gives a fixed role.
constexpr int kVendorIdLow = 0;
constexpr int kVendorIdHigh = 1;
constexpr int kProductIdLow = 2;
constexpr int kProductIdHigh = 3;
constexpr int kStringBitsRegister = 8;
constexpr int kFirstStringBit = 3;
constexpr int kStringAddressRegister = 91;
constexpr int kMaxStringChars = 32;
constexpr std::uint8_t kRunMarker = 0xFE;

}  // namespace

// --- Boot ---

void SimulatedChip::BootLocked()
{
    registers_.fill(0);
    std::array<bool, 256> present{};
    deviceCodeUnlocked_ = false;
    gpioDirection_ = 0;
    gpioLevel_ = 0;
    lastEepromTag_.reset();
    pendingRequest_.reset();
    pendingData_.clear();

    const auto& e = eeprom_;
    if (e[0] == 'T' && e[1] == 'K') {
        int pos = e[2];
        const int end = std::min(pos + e[3], eepromSize_);
        // A malformed item ends the stream; what was read before it stays loaded.
        while (pos < end) {
            const std::uint8_t item = e[pos];
            if (item == kRunMarker) {
                if (pos + 3 > end) {
                    break;
                }
                const int start = e[pos + 1];
                const int count = e[pos + 2];
                const int close = pos + 3 + count;
                if (close >= end || e[close] != 0x00) {
                    break;
                }
                for (int j = 0; j < count; ++j) {
                    const int reg = (start + j) & 0xFF;
                    registers_[reg] = e[pos + 3 + j];
                    present[reg] = true;
                }
                pos = close + 1;
            } else {
                if (pos + 2 > end) {
                    break;
                }
                const std::uint8_t value = e[pos + 1];
                if (!(item == 0xFF && value == 0xFF)) {
                    registers_[item] = value;
                    present[item] = true;
                }
                pos += 2;
            }
        }
    }

    const auto id16 = [&](int low, int high, std::uint16_t fallback) {
        const auto v = static_cast<std::uint16_t>(registers_[low] | (registers_[high] << 8));
        return (present[low] || present[high]) && v != 0 ? v : fallback;
    };
    vendorId_ = id16(kVendorIdLow, kVendorIdHigh, kDefaultVendorId);
    productId_ = id16(kProductIdLow, kProductIdHigh, kDefaultProductId);

    strings_ = {kDefaultManufacturer, kDefaultProduct, "", ""};
    if (!present[kStringBitsRegister]) {
        return;
    }
    for (int i = 0; i < 4; ++i) {
        const int addressRegister = kStringAddressRegister + i;
        if (!((registers_[kStringBitsRegister] >> (kFirstStringBit + i)) & 1) ||
            !present[addressRegister]) {
            continue;
        }
        const int at = registers_[addressRegister];
        const int length = e[at];
        const int chars = (length - 2) / 2;
        if (length < 2 || length % 2 != 0 || chars > kMaxStringChars ||
            at + 1 + chars > eepromSize_) {
            continue;
        }
        strings_[i].assign(e.begin() + at + 1, e.begin() + at + 1 + chars);
    }
}

// --- Bus transfers ---

namespace {

// Bytes a request selects; the selection must fit the mask and match the
// count the request announces.
bool SelectionIsSound(const p::Report& request)
{
    const int address = p::Read16(request, p::kCommandAddress);
    const int count = p::Read16(request, p::kCommandCount);
    const int pageSize = request[p::kCommandPageSize];
    if (count < 1 || count > p::kMaxTransfer) {
        return false;
    }
    if (pageSize != 0 && (address + count - 1) / pageSize - address / pageSize >= p::kMaxMaskPages) {
        return false;
    }
    int selected = 0;
    for (const p::Span& span : p::SelectedSpans(request)) {
        selected += span.length;
    }
    return selected == p::Read16(request, p::kCommandSelected);
}

}  // namespace

std::uint8_t SimulatedChip::CheckEepromRequestLocked(const p::Report& request)
{
    const std::uint8_t tag = request[p::kTag];
    if (!lastEepromTag_ || *lastEepromTag_ != tag) {
        lastEepromTag_ = tag;
        ++counters_.eepromTransfers;
        failCurrentTransfer_ = failTransferCountdown_ > 0 && --failTransferCountdown_ == 0;
    }
    const bool write = request[p::kOpcode] == p::kOpEepromWrite;
    ++(write ? counters_.eepromWriteCommands : counters_.eepromReadCommands);
    if (!SelectionIsSound(request)) {
        return p::kStatusBadCommand;
    }
    if (p::Read16(request, p::kCommandAddress) + p::Read16(request, p::kCommandCount) >
        eepromSize_) {
        return p::kStatusOutOfRange;
    }
    return failCurrentTransfer_ ? p::kStatusDeviceError : p::kStatusOk;
}

std::uint8_t SimulatedChip::CheckI2cRequestLocked(const p::Report& request)
{
    ++counters_.i2cCommands;
    if (!SelectionIsSound(request) || request[p::kCommandPageSize] != 0) {
        return p::kStatusBadCommand;
    }
    // The read/write bit of the slave address is the chip's business, not the caller's.
    if ((request[p::kCommandSlave] & 0xFE) != kI2cMemoryAddress) {
        BusBytesLocked(1);  // the slave address nobody acknowledged
        return p::kStatusNack;
    }
    if (p::Read16(request, p::kCommandAddress) + p::Read16(request, p::kCommandCount) >
        kI2cMemorySize) {
        return p::kStatusOutOfRange;
    }
    return p::kStatusOk;
}

std::uint8_t SimulatedChip::CarryOutLocked(const p::Report& request)
{
    const std::vector<p::Span> spans = p::SelectedSpans(request);
    const std::uint8_t opcode = request[p::kOpcode];
    std::uint8_t status = p::kStatusOk;
    if (opcode == p::kOpEepromRead || opcode == p::kOpI2cRead) {
        const auto& memory = opcode == p::kOpEepromRead ? eeprom_ : i2cMemory_;
        std::vector<std::uint8_t> data;
        for (const p::Span& span : spans) {
            // One random read: slave and word address, again the slave, then the bytes.
            BusBytesLocked(static_cast<std::uint64_t>(span.length) + 3);
            data.insert(data.end(), memory.begin() + span.address,
                        memory.begin() + span.address + span.length);
        }
        if (!data.empty()) {
            QueueDataLocked(request, data);
            return status;
        }
    } else if (opcode == p::kOpEepromWrite) {
        if (!WriteEepromLocked(spans, pendingData_)) {
            status = p::kStatusDeviceError;
        }
    } else {
        WriteI2cMemoryLocked(spans, pendingData_);
    }
    QueueStatusLocked(request, status);
    return status;
}

bool SimulatedChip::WriteEepromLocked(const std::vector<p::Span>& spans,
                                      const std::vector<std::uint8_t>& data)
{
    const int page = p::EepromPageSize(eepromSize_);
    bool persisted = true;
    std::size_t next = 0;
    for (const p::Span& span : spans) {
        // The firmware writes each page of its own part in one write cycle.
        for (int at = span.address; at < span.address + span.length;) {
            const int n = std::min(span.address + span.length, at - at % page + page) - at;
            const std::uint64_t before = traffic_.timeUs;
            BusBytesLocked(static_cast<std::uint64_t>(n) + 2);
            ++traffic_.writeCycles;
            SpendLocked(static_cast<std::uint64_t>(writeCycleUs_));
            if (realTiming_) {
                // The page is there only once its write cycle has passed.
                SleepModelled(traffic_.timeUs - before);
                sleptUs_ += traffic_.timeUs - before;
            }
            const bool dropped = dropWriteCycleCountdown_ > 0 && --dropWriteCycleCountdown_ == 0;
            // Like a real part, the address counter wraps inside the page being written.
            const int pageStart = at - at % page;
            for (int i = 0; i < n && !dropped; ++i) {
                eeprom_[pageStart + (at % page + i) % page] = data[next + i];
            }
            // Each page reaches the backing file as its write cycle ends, so a
            // process killed part-way keeps the pages a real part would hold.
            persisted = PersistLocked() && persisted;
            next += n;
            at += n;
        }
    }
    return persisted;
}

void SimulatedChip::WriteI2cMemoryLocked(const std::vector<p::Span>& spans,
                                         const std::vector<std::uint8_t>& data)
{
    std::size_t next = 0;
    for (const p::Span& span : spans) {
        for (int at = span.address; at < span.address + span.length;) {
            const int n =
                std::min(span.address + span.length, at - at % kI2cMemoryPage + kI2cMemoryPage) -
                at;
            BusBytesLocked(static_cast<std::uint64_t>(n) + 2);
            ++traffic_.writeCycles;
            SpendLocked(static_cast<std::uint64_t>(writeCycleUs_));
            const int pageStart = at - at % kI2cMemoryPage;
            for (int i = 0; i < n; ++i) {
                i2cMemory_[pageStart + (at % kI2cMemoryPage + i) % kI2cMemoryPage] = data[next + i];
            }
            next += n;
            at += n;
        }
    }
}

bool SimulatedChip::PersistLocked()
{
    if (options_.backingFile.empty()) {
        return true;
    }
    if (!backingFileError_.empty()) {
        return false;
    }
    std::string& error = lastFileError_;
    error.clear();
    if (fileImage_.size() != eeprom_.size()) {
        // A new file or a new size: the whole image replaces the file at once.
        if (!WriteFileSafely(options_.backingFile, eeprom_, error)) {
            return false;
        }
        fileImage_ = eeprom_;
        return true;
    }
    // The bytes from the first that changed to the last are written in place in one
    // write, flushed before the write is reported done: a process killed part-way
    // leaves the page old or new, never its header byte new over an old rest.
    const auto differs = [&](std::size_t at) { return eeprom_[at] != fileImage_[at]; };
    std::size_t first = 0;
    while (first < eeprom_.size() && !differs(first)) {
        ++first;
    }
    if (first == eeprom_.size()) {
        return true;
    }
    std::size_t end = eeprom_.size();
    while (!differs(end - 1)) {
        --end;
    }
    const std::span<const std::uint8_t> run(eeprom_.data() + first, end - first);
    if (!UpdateFileInPlace(options_.backingFile, first, run, error)) {
        return false;
    }
    std::copy(run.begin(), run.end(), fileImage_.begin() + static_cast<std::ptrdiff_t>(first));
    return true;
}

// --- EEPROM set-up and state ---

bool SimulatedChip::SetEepromSize(int size)
{
    if (!p::IsEepromSize(size)) {
        return false;
    }
    std::lock_guard lock(mutex_);
    eepromSize_ = size;
    eeprom_.resize(static_cast<std::size_t>(size), 0xFF);
    return PersistLocked();
}

int SimulatedChip::EepromSize() const
{
    std::lock_guard lock(mutex_);
    return eepromSize_;
}

std::vector<std::uint8_t> SimulatedChip::Eeprom() const
{
    std::lock_guard lock(mutex_);
    return eeprom_;
}

bool SimulatedChip::SetEeprom(const std::vector<std::uint8_t>& bytes)
{
    std::lock_guard lock(mutex_);
    std::fill(eeprom_.begin(), eeprom_.end(), 0xFF);
    std::copy_n(bytes.begin(), std::min(bytes.size(), eeprom_.size()), eeprom_.begin());
    return PersistLocked();
}

std::vector<std::uint8_t> SimulatedChip::I2cMemory() const
{
    std::lock_guard lock(mutex_);
    return i2cMemory_;
}

}  // namespace tovrik
