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

std::uint8_t SimulatedChip::EepromCommandLocked(const p::Report& command, p::Report& answer)
{
    const std::uint8_t tag = command[p::kTag];
    if (!lastEepromTag_ || *lastEepromTag_ != tag) {
        lastEepromTag_ = tag;
        ++counters_.eepromTransfers;
        failCurrentTransfer_ = failTransferCountdown_ > 0 && --failTransferCountdown_ == 0;
    }
    const bool write = command[p::kOpcode] == p::kOpEepromWrite;
    ++(write ? counters_.eepromWriteCommands : counters_.eepromReadCommands);

    const int address = p::Read16(command, p::kCommandAddress);
    const int count = command[p::kCommandCount];
    if (count < 1 || count > p::kMaxData) {
        return p::kStatusBadCommand;
    }
    if (address + count > eepromSize_) {
        return p::kStatusOutOfRange;
    }
    if (failCurrentTransfer_) {
        return p::kStatusDeviceError;
    }
    if (!write) {
        std::copy_n(eeprom_.begin() + address, count, answer.begin() + p::kData);
        return p::kStatusOk;
    }
    // Like a real part, the address counter wraps inside the page being written.
    const int page = p::EepromPageSize(eepromSize_);
    const int pageStart = address - address % page;
    for (int i = 0; i < count; ++i) {
        eeprom_[pageStart + (address % page + i) % page] = command[p::kData + i];
    }
    return PersistLocked() ? p::kStatusOk : p::kStatusDeviceError;
}

std::uint8_t SimulatedChip::I2cCommandLocked(const p::Report& command, p::Report& answer)
{
    ++counters_.i2cCommands;
    const int address = p::Read16(command, p::kCommandAddress);
    const int count = command[p::kCommandCount];
    if (count < 1 || count > p::kMaxData) {
        return p::kStatusBadCommand;
    }
    // The read/write bit of the slave address is the chip's business, not the caller's.
    if ((command[p::kCommandSlave] & 0xFE) != kI2cMemoryAddress) {
        return p::kStatusNack;
    }
    if (address + count > kI2cMemorySize) {
        return p::kStatusOutOfRange;
    }
    if (command[p::kOpcode] == p::kOpI2cRead) {
        std::copy_n(i2cMemory_.begin() + address, count, answer.begin() + p::kData);
        return p::kStatusOk;
    }
    const int pageStart = address - address % kI2cMemoryPage;
    for (int i = 0; i < count; ++i) {
        i2cMemory_[pageStart + (address % kI2cMemoryPage + i) % kI2cMemoryPage] =
            command[p::kData + i];
    }
    return p::kStatusOk;
}

bool SimulatedChip::PersistLocked()
{
    if (options_.backingFile.empty()) {
        return true;
    }
    if (!backingFileError_.empty()) {
        return false;
    }
    std::string error;
    if (fileImage_.size() != eeprom_.size()) {
        // A new file or a new size: the whole image replaces the file at once.
        if (!WriteFileSafely(options_.backingFile, eeprom_, error)) {
            return false;
        }
        fileImage_ = eeprom_;
        return true;
    }
    // Only the bytes that changed are written, in place, and flushed before
    // the write is reported done: a crash leaves every byte old or new.
    for (std::size_t at = 0; at < eeprom_.size();) {
        if (eeprom_[at] == fileImage_[at]) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < eeprom_.size() && eeprom_[end] != fileImage_[end]) {
            ++end;
        }
        const std::span<const std::uint8_t> run(eeprom_.data() + at, end - at);
        if (!UpdateFileInPlace(options_.backingFile, at, run, error)) {
            return false;
        }
        std::copy(run.begin(), run.end(), fileImage_.begin() + static_cast<std::ptrdiff_t>(at));
        at = end;
    }
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
