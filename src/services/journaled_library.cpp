// SPDX-License-Identifier: MIT
#include "services/journaled_library.h"

#include <algorithm>

namespace tovrik {

bool JournaledLibrary::Begin(const JournalRecord& record, std::string& error)
{
    record_ = journal_.Begin(record, error);
    start_ = record.address;
    verified_.assign(record_.empty() ? 0 : record.count, false);
    failed_ = false;
    return !record_.empty();
}

void JournaledLibrary::EndAction()
{
    if (!record_.empty() && !failed_) {
        journal_.Finish(record_);
    }
    record_.clear();
    verified_.clear();
}

void JournaledLibrary::rmDeviceClose()
{
    // An action cut off by the end of the connection keeps its record.
    record_.clear();
    verified_.clear();
    inner_.rmDeviceClose();
}

int JournaledLibrary::rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                                   std::uint32_t count)
{
    const int result = inner_.rmBurnEEPROM(direction, address, buffer, count);
    if (direction != kEepromWrite || record_.empty() || buffer == nullptr) {
        return result;
    }
    std::vector<std::uint8_t> back(count);
    if (result == 0 || inner_.rmBurnEEPROM(kEepromRead, address, back.data(), count) == 0 ||
        !std::equal(back.begin(), back.end(), buffer)) {
        failed_ = true;
        return result;
    }
    const std::uint64_t end = std::uint64_t{start_} + verified_.size();
    for (std::uint64_t a = std::max<std::uint64_t>(address, start_);
         a < std::min<std::uint64_t>(std::uint64_t{address} + count, end); ++a) {
        verified_[static_cast<std::size_t>(a - start_)] = true;
    }
    if (std::all_of(verified_.begin(), verified_.end(), [](bool v) { return v; })) {
        journal_.Finish(record_);
        record_.clear();
        verified_.clear();
    }
    return result;
}

}  // namespace tovrik
