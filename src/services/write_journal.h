// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace tovrik {

// A chip as a connection saw it: the ids and serial string it answered with,
// and where it is reached (its interface path, or the file behind a
// simulated EEPROM).
struct JournalChip {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string serial;
    std::string where;
};

// One write in progress.
struct JournalRecord {
    JournalChip chip;
    // The ids and serial string the written bytes give the chip; the chip's
    // own when the write leaves them as they are.
    std::uint16_t writtenVendorId = 0;
    std::uint16_t writtenProductId = 0;
    std::string writtenSerial;
    std::string command;
    // The backup holding what the write replaces.
    std::string backup;
    std::uint32_t address = 0;
    std::uint32_t count = 0;
    std::time_t started = 0;
    // The record's own file, filled in when it is read or written.
    std::string file;
};

// Names every EEPROM write in progress in a small file, written before the
// first byte goes to the chip and removed once the write reads back equal,
// so a write cut off (by an unplugged cable, a crash) is found at the next
// connection to that chip, with the backup that undoes it:
//
//     WriteJournal journal;  // $XDG_STATE_HOME/tovrik/journal
//     const std::string record = journal.Begin(entry, error);
//     ... write, read back, compare ...
//     if (equal) journal.Finish(record);
//
// A record is a text file of key=value lines (NAME.journal), its values with
// \\ and \n escaped.
class WriteJournal {
public:
    // tovrik/journal in the user's state folder, beside the backups; empty
    // when the environment names none.
    static std::string DefaultFolder();

    explicit WriteJournal(std::string folder = DefaultFolder());

    // Writes the record; its path, or empty with `error` when it cannot be written.
    std::string Begin(const JournalRecord& record, std::string& error);
    // Removes the record of a write that read back equal.
    void Finish(const std::string& recordFile);

    // Every record in the folder, oldest first; files that are no record are skipped.
    std::vector<JournalRecord> Records() const;
    // The records of writes to `chip` that were never finished: those whose
    // chip answered with the ids and serial string `chip` answers with, or
    // whose written bytes give it those (a cut-off write may have reached the
    // ids). The interface path is not compared: it changes with the port.
    std::vector<JournalRecord> OpenFor(const JournalChip& chip) const;

    const std::string& Folder() const { return folder_; }
    // The clock that stamps and names records; tests set a fixed one.
    void SetClock(std::function<std::time_t()> clock) { clock_ = std::move(clock); }

private:
    std::string folder_;
    std::function<std::time_t()> clock_;
};

// The text of a record file, and back; false for text that is no record.
std::string FormatJournalRecord(const JournalRecord& record);
bool ParseJournalRecord(const std::string& text, JournalRecord& record);

}  // namespace tovrik
