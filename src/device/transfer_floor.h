// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

namespace tovrik {

// The costs a transfer's floor is counted in, microseconds; the defaults are
// those of the simulated chip's timing model at 100 kHz.
struct WireCosts {
    std::uint64_t reportUs = 1000;
    std::uint64_t controlUs = 1500;
    std::uint64_t i2cByteUs = 90;
    std::uint64_t writeCycleUs = 5000;
};

// The least a read of n bytes can cost: one request, its data, and one random
// read on the bus.
std::uint64_t ReadFloorUs(const WireCosts& costs, std::uint32_t n);
// The least a write can cost that changes `pages` pages holding `bytes` bytes
// of the transfer, its read-back included; a write that changes nothing still
// costs its request and the chip's confirmation.
std::uint64_t WriteFloorUs(const WireCosts& costs, std::uint32_t pages, std::uint32_t bytes);

// Follows one connection's EEPROM transfers and gives each its floor, taking
// every byte the connection already read or wrote as known for free.
class TransferFloor {
public:
    explicit TransferFloor(WireCosts costs = {}) : costs_(costs) {}

    // A new connection knows nothing yet.
    void Reset();
    std::uint64_t Read(std::uint32_t address, std::uint32_t count);
    // A write of `bytes` over an EEPROM holding `before`, with pages of `pageSize`.
    std::uint64_t Write(std::uint32_t address, const std::uint8_t* bytes, std::uint32_t count,
                        const std::vector<std::uint8_t>& before, std::uint32_t pageSize);
    const WireCosts& Costs() const { return costs_; }

private:
    void Know(std::uint32_t address, std::uint32_t count);

    WireCosts costs_;
    std::vector<bool> known_;
};

}  // namespace tovrik
