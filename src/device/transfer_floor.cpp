// SPDX-License-Identifier: MIT
#include "device/transfer_floor.h"

#include <algorithm>

namespace tovrik {

namespace {

constexpr std::uint64_t kPayload = 16;

std::uint64_t Reports(std::uint64_t bytes)
{
    return (bytes + kPayload - 1) / kPayload;
}

}  // namespace

std::uint64_t ReadFloorUs(const WireCosts& c, std::uint32_t n)
{
    return c.reportUs * (1 + Reports(n)) + c.i2cByteUs * (n + 3ull);
}

std::uint64_t WriteFloorUs(const WireCosts& c, std::uint32_t pages, std::uint32_t bytes)
{
    if (pages == 0) {
        return 2 * c.reportUs;
    }
    const std::uint64_t write = c.writeCycleUs * pages + c.reportUs * (2 + Reports(bytes)) +
                                c.i2cByteUs * (bytes + 2ull * pages);
    const std::uint64_t readBack =
        c.reportUs * (1 + Reports(bytes)) + c.i2cByteUs * (bytes + 3ull * pages);
    return write + readBack;
}

void TransferFloor::Reset()
{
    known_.clear();
}

void TransferFloor::Know(std::uint32_t address, std::uint32_t count)
{
    if (known_.size() < address + count) {
        known_.resize(address + count, false);
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        known_[address + i] = true;
    }
}

std::uint64_t TransferFloor::Read(std::uint32_t address, std::uint32_t count)
{
    Know(address, count);
    return ReadFloorUs(costs_, count);
}

std::uint64_t TransferFloor::Write(std::uint32_t address, const std::uint8_t* bytes,
                                   std::uint32_t count, const std::vector<std::uint8_t>& before,
                                   std::uint32_t pageSize)
{
    std::uint64_t us = 0;
    const std::uint32_t end = address + count;
    for (std::uint32_t at = address; at < end;) {
        if (at < known_.size() && known_[at]) {
            ++at;
            continue;
        }
        std::uint32_t runEnd = at + 1;
        while (runEnd < end && !(runEnd < known_.size() && known_[runEnd])) {
            ++runEnd;
        }
        us += ReadFloorUs(costs_, runEnd - at);
        at = runEnd;
    }
    std::uint32_t pages = 0;
    std::uint32_t changed = 0;
    for (std::uint32_t at = address; at < end;) {
        const std::uint32_t pageEnd = std::min(end, (at / pageSize + 1) * pageSize);
        for (std::uint32_t i = at; i < pageEnd; ++i) {
            if (i >= before.size() || before[i] != bytes[i - address]) {
                ++pages;
                changed += pageEnd - at;
                break;
            }
        }
        at = pageEnd;
    }
    Know(address, count);
    return us + WriteFloorUs(costs_, pages, changed);
}

}  // namespace tovrik
