// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "services/backup_keeper.h"
#include "services/write_journal.h"

namespace tovrik {

class DeviceLibrary;

// The ids and serial string an EEPROM image gives the chip when it boots from
// it; a field the image does not set keeps the value it had.
struct ImageIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string serial;
};
ImageIdentity IdentityOfImage(std::span<const std::uint8_t> image, ImageIdentity fallback);

// How a journaled write ended.
enum class JournaledWriteResult { Verified, WriteFailed, ReadBackFailed, Differs };

// Writes `bytes` at `address` through `library` and reads them back. Before
// the first byte, a record naming `record`'s chip, command, backup and the
// range goes into `journal` (none without a journal: an in-memory chip); it is
// removed once the bytes read back equal. A record that cannot be written is
// said in `journalError` and does not stop the write.
JournaledWriteResult WriteJournaled(DeviceLibrary& library, WriteJournal* journal,
                                    JournalRecord record, std::uint32_t address,
                                    const std::vector<std::uint8_t>& bytes,
                                    std::string& journalError);

// One backup of a chip's ids, as `device backups` lists it.
struct ChipBackup {
    std::string path;
    std::string name;
    std::string time;  // 2026-12-08 14:15:03 (UTC)
    std::uintmax_t size = 0;
    std::string serial;
    // Whether the chip's EEPROM holds the backup's bytes now.
    bool equalsChip = false;
};

// The backups in `keeper`'s folder taken of chips with `chip`'s ids, newest
// first, each compared with the chip's EEPROM (of `fittedSize` bytes) read
// through `library`.
std::vector<ChipBackup> ListChipBackups(const BackupKeeper& keeper, const JournalChip& chip,
                                        DeviceLibrary& library, int fittedSize);

// Which backup a restore writes back, and why.
struct RestoreChoice {
    std::string file;  // empty: none qualifies
    std::string reason;
};

// `file` when given; else the backup an open journal record of `chip` names
// (the newest record whose backup still exists); else the newest of
// `backups` whose serial string is the chip's. Backups of other units with
// the same ids do not qualify.
RestoreChoice ChooseRestore(const std::string& file, const WriteJournal* journal,
                            const JournalChip& chip, const std::vector<ChipBackup>& backups);

// Writes the backup `file` back from address 0 over its full length: keeps a
// backup of what it replaces first, journals the write and reads it back. On
// success the journal records that named `file` for this chip are closed. 1
// when verified, with the new backup in `kept`; 0 with `error`.
int RestoreBackup(DeviceLibrary& library, BackupKeeper& keeper, WriteJournal* journal,
                  const JournalChip& chip, int fittedSize, const std::string& file,
                  std::string& kept, std::string& error);

}  // namespace tovrik
