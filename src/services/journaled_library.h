// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/forwarding_library.h"
#include "services/write_journal.h"

namespace tovrik {

// A device library that closes the journal record of a user's action once
// what the action wrote reads back equal. Begin writes the record before the
// action's first write; every write through this library that succeeds is
// read back. The record is removed when the bytes read back equal cover its
// whole range, or when the action ends (EndAction) with no write that failed
// or read back different. Otherwise it stays, so the next connection finds it.
class JournaledLibrary : public ForwardingLibrary {
public:
    JournaledLibrary(DeviceLibrary& inner, WriteJournal& journal)
        : ForwardingLibrary(inner), journal_(journal)
    {
    }

    // Writes `record` (replacing a record still open: its action ended
    // without finishing and stays in the journal); false with `error`.
    bool Begin(const JournalRecord& record, std::string& error);
    // The action ended: its record goes unless one of its writes failed.
    void EndAction();
    // The record of the action in progress; empty when none is open.
    const std::string& OpenRecord() const { return record_; }
    WriteJournal& Journal() { return journal_; }

    void rmDeviceClose() override;
    int rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                     std::uint32_t count) override;

private:
    WriteJournal& journal_;
    std::string record_;
    std::uint32_t start_ = 0;
    // One flag per byte of the record's range: read back equal.
    std::vector<bool> verified_;
    bool failed_ = false;
};

}  // namespace tovrik
