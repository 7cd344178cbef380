// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace tovrik {

class DeviceLibrary;

// One backup file, as listed.
struct BackupEntry {
    std::string name;
    std::uintmax_t size = 0;
};

// Keeps what an overwrite of the EEPROM replaces, so no mistaken write is
// final. Every front end that writes EEPROM bytes on a user's behalf calls
// KeepBefore once per action, before its first write:
//
//     BackupKeeper keeper;  // $XDG_STATE_HOME/tovrik/backups
//     if (keeper.KeepBefore(library, vendorId, productId, address, count) == 0) {
//         report(keeper.LastError());  // the write may still go ahead
//     }
//
// A backup is a raw EEPROM image from address 0 to the end of the range about
// to be overwritten (at least the 256 bytes every fitted EEPROM has), so it
// can be written back as it is. It is named after the time (UTC) and the
// device's ids, 20261208-141503-1209-0001.bin, with -2, -3, ... added within
// one second; a backup byte-identical to the device's newest one is not
// written again, and only the newest kKeptBackups files are kept, always
// counting the one just written. A symlink in the folder is no backup.
class BackupKeeper {
public:
    static constexpr std::size_t kKeptBackups = 200;
    static constexpr std::uint32_t kMinimumBackupBytes = 256;

    // tovrik/backups in the user's state folder (platform/user_state_folder.h):
    // $XDG_STATE_HOME/tovrik/backups, else ~/.local/state/tovrik/backups (on
    // Windows %LOCALAPPDATA%/tovrik/backups first); empty when none is set.
    static std::string DefaultFolder();

    explicit BackupKeeper(std::string folder = DefaultFolder());

    // Reads what the overwrite of `count` bytes at `address` will replace
    // through `library` (which must not log the read as the user's) and keeps
    // it. 1 when kept or already kept; 0 when the EEPROM could not be read or
    // the file not written (see LastError()).
    int KeepBefore(DeviceLibrary& library, std::uint16_t vendorId, std::uint16_t productId,
                   std::uint32_t address, std::uint32_t count);

    // The backup holding what the last KeepBefore read (the new file, or the
    // identical one kept before); empty before the first and after a failure.
    const std::string& LastPath() const { return lastPath_; }
    const std::string& LastError() const { return lastError_; }
    const std::string& Folder() const { return folder_; }

    // Every backup in the folder, newest first.
    std::vector<BackupEntry> List() const;

    // The clock that names backups; tests set a fixed one.
    void SetClock(std::function<std::time_t()> clock) { clock_ = std::move(clock); }

private:
    bool EnsureFolder();
    std::string NewName(std::uint16_t vendorId, std::uint16_t productId) const;
    void Prune(const std::string& justWritten) const;

    std::string folder_;
    std::function<std::time_t()> clock_;
    std::string lastPath_;
    std::string lastError_;
};

}  // namespace tovrik
