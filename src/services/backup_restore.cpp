// SPDX-License-Identifier: MIT
#include "services/backup_restore.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "config/eeprom_config.h"
#include "device/device_library.h"
#include "platform/prompter.h"
#include "platform/safe_file.h"
#include "services/image_library.h"

namespace tovrik {
namespace {

constexpr std::size_t kLargestEeprom = 2048;
// The registers holding the ids, low byte first.
constexpr std::uint8_t kVendorIdLow = 0;
constexpr std::uint8_t kProductIdLow = 2;
constexpr int kSerialString = 2;

std::optional<std::uint16_t> Id16(const EepromConfig& config, std::uint8_t low)
{
    const auto high = static_cast<std::uint8_t>(low + 1);
    if (config.IsRegisterPresent(low) == 0 && config.IsRegisterPresent(high) == 0) {
        return std::nullopt;
    }
    const auto value = static_cast<std::uint16_t>(config.GetRegisterValue(low) |
                                                  (config.GetRegisterValue(high) << 8));
    return value == 0 ? std::nullopt : std::optional<std::uint16_t>(value);
}

bool ReadBackup(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error)
{
    return ReadFileBounded(path, kLargestEeprom, bytes, error);
}

std::string DeviceText(std::uint16_t vendorId, std::uint16_t productId)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04X-%04X", vendorId, productId);
    return text;
}

}  // namespace

ImageIdentity IdentityOfImage(std::span<const std::uint8_t> image, ImageIdentity fallback)
{
    ImageLibrary library(image);
    // What the loader would show goes nowhere: a damaged image just sets nothing.
    SilentPrompter prompter;
    EepromConfig config(library, prompter);
    config.LoadFromEeprom();
    ImageIdentity identity = std::move(fallback);
    identity.vendorId = Id16(config, kVendorIdLow).value_or(identity.vendorId);
    identity.productId = Id16(config, kProductIdLow).value_or(identity.productId);
    std::string serial;
    if (config.GetString(kSerialString, serial) != 0) {
        identity.serial = serial;
    }
    return identity;
}

JournaledWriteResult WriteJournaled(DeviceLibrary& library, WriteJournal* journal,
                                    JournalRecord record, std::uint32_t address,
                                    const std::vector<std::uint8_t>& bytes,
                                    std::string& journalError)
{
    std::string recordFile;
    if (journal != nullptr) {
        record.address = address;
        record.count = static_cast<std::uint32_t>(bytes.size());
        recordFile = journal->Begin(record, journalError);
    }
    std::vector<std::uint8_t> written = bytes;
    if (library.rmBurnEEPROM(kEepromWrite, address, written.data(),
                             static_cast<std::uint32_t>(written.size())) == 0) {
        return JournaledWriteResult::WriteFailed;
    }
    std::vector<std::uint8_t> back(bytes.size());
    if (library.rmBurnEEPROM(kEepromRead, address, back.data(),
                             static_cast<std::uint32_t>(back.size())) == 0) {
        return JournaledWriteResult::ReadBackFailed;
    }
    if (back != bytes) {
        return JournaledWriteResult::Differs;
    }
    if (journal != nullptr) {
        journal->Finish(recordFile);
    }
    return JournaledWriteResult::Verified;
}

std::vector<ChipBackup> ListChipBackups(const BackupKeeper& keeper, const JournalChip& chip,
                                        DeviceLibrary& library, int fittedSize)
{
    std::vector<std::uint8_t> eeprom(static_cast<std::size_t>(std::max(fittedSize, 0)));
    const bool chipRead =
        !eeprom.empty() && library.rmBurnEEPROM(kEepromRead, 0, eeprom.data(),
                                                static_cast<std::uint32_t>(eeprom.size())) != 0;
    const std::string device = DeviceText(chip.vendorId, chip.productId);
    std::vector<ChipBackup> found;
    for (const BackupEntry& entry : keeper.List()) {
        if (entry.name.compare(16, 9, device) != 0) {
            continue;
        }
        ChipBackup backup;
        backup.name = entry.name;
        backup.path = keeper.Folder() + "/" + entry.name;
        backup.size = entry.size;
        const std::string& n = entry.name;
        backup.time = n.substr(0, 4) + "-" + n.substr(4, 2) + "-" + n.substr(6, 2) + " " +
                      n.substr(9, 2) + ":" + n.substr(11, 2) + ":" + n.substr(13, 2);
        std::vector<std::uint8_t> bytes;
        std::string error;
        if (ReadBackup(backup.path, bytes, error)) {
            backup.serial = IdentityOfImage(bytes, {}).serial;
            backup.equalsChip = chipRead && bytes.size() <= eeprom.size() &&
                                std::equal(bytes.begin(), bytes.end(), eeprom.begin());
        }
        found.push_back(std::move(backup));
    }
    return found;
}

RestoreChoice ChooseRestore(const std::string& file, const WriteJournal* journal,
                            const JournalChip& chip, const std::vector<ChipBackup>& backups)
{
    if (!file.empty()) {
        return {file, "as asked"};
    }
    if (journal != nullptr) {
        std::vector<JournalRecord> open = journal->OpenFor(chip);
        for (auto it = open.rbegin(); it != open.rend(); ++it) {
            if (FileExists(it->backup)) {
                return {it->backup,
                        "named by the record of an unfinished write (" + it->command + ")"};
            }
        }
    }
    for (const ChipBackup& backup : backups) {
        if (backup.serial == chip.serial) {
            return {backup.path,
                    "the newest backup with the serial string \"" + chip.serial + "\""};
        }
    }
    return {};
}

int RestoreBackup(DeviceLibrary& library, BackupKeeper& keeper, WriteJournal* journal,
                  const JournalChip& chip, int fittedSize, const std::string& file,
                  std::string& kept, std::string& error)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadBackup(file, bytes, error)) {
        return 0;
    }
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(std::max(fittedSize, 0))) {
        error = file + " has " + std::to_string(bytes.size()) + " bytes, the chip's EEPROM " +
                std::to_string(fittedSize);
        return 0;
    }
    const auto count = static_cast<std::uint32_t>(bytes.size());
    if (keeper.KeepBefore(library, chip.vendorId, chip.productId, 0, count) == 0) {
        error = keeper.LastError() + "; nothing was written";
        return 0;
    }
    kept = keeper.LastPath();
    JournalRecord record;
    record.chip = chip;
    const ImageIdentity written =
        IdentityOfImage(bytes, {chip.vendorId, chip.productId, chip.serial});
    record.writtenVendorId = written.vendorId;
    record.writtenProductId = written.productId;
    record.writtenSerial = written.serial;
    record.command = "restore " + file;
    record.backup = kept;
    // The record of a write that was not finished names the file being written back.
    std::vector<JournalRecord> resolved;
    if (journal != nullptr) {
        for (JournalRecord& open : journal->OpenFor(chip)) {
            if (open.backup == file) {
                resolved.push_back(std::move(open));
            }
        }
    }
    std::string journalError;
    switch (WriteJournaled(library, journal, record, 0, bytes, journalError)) {
        case JournaledWriteResult::Verified:
            break;
        case JournaledWriteResult::WriteFailed:
            error = "writing the EEPROM failed";
            return 0;
        case JournaledWriteResult::ReadBackFailed:
            error = "reading the EEPROM back failed";
            return 0;
        case JournaledWriteResult::Differs:
            error = "the EEPROM does not hold what was written";
            return 0;
    }
    for (const JournalRecord& open : resolved) {
        journal->Finish(open.file);
    }
    return 1;
}

}  // namespace tovrik
