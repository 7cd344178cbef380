// SPDX-License-Identifier: MIT
// What the main window does after a connection when the journal names a
// write to this chip that was never finished.
#include "app/demo_app.h"
#include "app/demo_dlg.h"
#include "config/eeprom_config.h"
#include "device/device_directory.h"
#include "platform/fitted_line.h"
#include "services/backup_restore.h"

namespace tovrik {

namespace {

std::string UnfinishedNotice(const JournalRecord& record)
{
    return "A write to this chip was not finished (" + record.command + "); " +
           WithSystemSeparators(record.backup) + " holds what it replaced";
}

std::string WriteBackQuestion(const JournalRecord& record)
{
    return "A write to this chip was not finished (" + record.command +
           "), so its EEPROM may be half written.\nWrite back " +
           WithSystemSeparators(record.backup) + ", the EEPROM as it was before that write?";
}

}  // namespace

void CDemoDlg::OfferUnfinishedWriteBack(std::uint16_t vendorId, std::uint16_t productId)
{
    PageContext& context = app_.Context();
    journalNotice_.clear();
    JournalChip chip{vendorId, productId, {}, context.ChipFile()};
    if (DeviceDirectory* directory = app_.Directory()) {
        const std::string picked = PickedInterface(vendorId, productId);
        for (const HidDeviceInfo& info : directory->ListInterfaces()) {
            if (info.vendorId == vendorId && info.productId == productId &&
                (picked.empty() || info.path == picked)) {
                chip.serial = info.serialNumber;
                if (chip.where.empty()) {
                    chip.where = info.path;
                }
                break;
            }
        }
    }
    context.SetJournalChip(chip);
    JournaledLibrary* journal = context.Journal();
    if (journal == nullptr) {
        return;
    }
    const std::vector<JournalRecord> open = journal->Journal().OpenFor(chip);
    if (open.empty()) {
        return;
    }
    const JournalRecord& newest = open.back();
    journalNotice_ = UnfinishedNotice(newest);
    if (!context.OfferWriteBack() || context.Backups() == nullptr ||
        !GetPrompter().Question(WriteBackQuestion(newest))) {
        return;
    }
    std::string kept;
    std::string error;
    if (RestoreBackup(context.BackupSource(), *context.Backups(), &journal->Journal(), chip,
                      app_.Config().DetectedEepromSize(), newest.backup, kept, error) == 0) {
        GetPrompter().MessageBox("The backup could not be written back: " + error);
        return;
    }
    context.BackupSource().ForgetEepromContent();
    journalNotice_ = "Written back from " + WithSystemSeparators(newest.backup) +
                     "; the EEPROM before that is kept in " + WithSystemSeparators(kept);
}

}  // namespace tovrik
