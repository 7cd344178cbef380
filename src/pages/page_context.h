// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "formats/device_profile.h"
#include "platform/dialog.h"
#include "platform/prompter.h"
#include "services/backup_keeper.h"
#include "services/journaled_library.h"

namespace tovrik {

// Asked before an EEPROM write when no backup of what it replaces can be kept.
inline constexpr const char* kAskWriteWithoutBackup = "No backup of the EEPROM can be kept: ";
inline constexpr const char* kAskWriteWithoutBackupEnd = "\n\nWrite into the EEPROM all the same?";

class DeviceLibrary;
class EepromConfig;
class PropertyPage;
class UiContext;

// What a page needs of the application: the windows and prompts, the device
// library, the configuration image and the profile of the current connection.
// The application object owns it and hands it to every page, so a page never
// sees the main window.
class PageContext {
public:
    PageContext(UiContext& ui, DeviceLibrary& library, EepromConfig& config)
        : ui_(ui), library_(library), config_(config)
    {
    }
    PageContext(const PageContext&) = delete;
    PageContext& operator=(const PageContext&) = delete;

    UiContext& Ui() { return ui_; }
    DeviceLibrary& Library() { return library_; }
    EepromConfig& Config() { return config_; }

    // The profile of the current connection, created on first use.
    DeviceProfile* GetDeviceProfile()
    {
        if (!profile_) {
            profile_ = std::make_unique<DeviceProfile>();
        }
        return profile_.get();
    }
    void ReleaseDeviceProfile() { profile_.reset(); }
    // The profile without creating one; nullptr while there is none.
    const DeviceProfile* CurrentDeviceProfile() const { return profile_.get(); }

    // Told after a configuration page handled an input of the user (an edit,
    // a click, a choice), which may have changed what a save would write.
    void SetPageInputObserver(std::function<void()> observer)
    {
        pageInputObserver_ = std::move(observer);
    }
    void PageInputHandled()
    {
        if (pageInputObserver_) {
            pageInputObserver_();
        }
    }

    // The page that receives forwarded generic-event notifications.
    void SetGenericEventReceiver(PropertyPage* page) { genericEventReceiver_ = page; }
    PropertyPage* GenericEventReceiver() const { return genericEventReceiver_; }

    // Backups: `keeper` stores them and `source` is the library the backup reads
    // go through, below any call log, so the user's calls stay as they were.
    // Without a keeper no backup is kept.
    void SetBackups(BackupKeeper* keeper, DeviceLibrary* source)
    {
        backups_ = keeper;
        backupSource_ = source;
    }
    // Told before (false) and after (true) each backup, for measuring its cost.
    void SetBackupObserver(std::function<void(bool done)> observer)
    {
        backupObserver_ = std::move(observer);
    }
    // With true, a failed write's message is followed by where the backup went.
    void SetTellBackupAfterFailure(bool tell) { tellBackupAfterFailure_ = tell; }
    bool TellBackupAfterFailure() const { return tellBackupAfterFailure_; }
    // The ids of the device the current connection was opened with.
    void SetDeviceIds(std::uint16_t vendorId, std::uint16_t productId)
    {
        vendorId_ = vendorId;
        productId_ = productId;
    }

    // Writes in progress are journaled through `journal` (nullptr: not at
    // all, as for an in-memory chip); after a connection the main window
    // offers to write back what an unfinished write replaced when `offer`.
    void SetJournal(JournaledLibrary* journal, bool offer)
    {
        journal_ = journal;
        offerWriteBack_ = offer;
    }
    JournaledLibrary* Journal() const { return journal_; }
    bool OfferWriteBack() const { return offerWriteBack_; }
    // The chip of the current connection as the journal names it.
    void SetJournalChip(JournalChip chip) { journalChip_ = std::move(chip); }
    const JournalChip& JournalChipNow() const { return journalChip_; }
    // The file behind a simulated EEPROM, which names the chip instead of its interface.
    void SetChipFile(std::string file) { chipFile_ = std::move(file); }
    const std::string& ChipFile() const { return chipFile_; }
    // The name of the command whose writes come next; empty for a page's own.
    void SetCommandName(std::string name) { commandName_ = std::move(name); }
    // The user's action ended: its journal record goes unless a write failed.
    void EndWriteAction()
    {
        if (journal_ != nullptr) {
            journal_->EndAction();
        }
    }

    // Called once per user action before its first EEPROM write: keeps what
    // the write of `count` bytes at `address` will replace, and names the
    // write in the journal. When no backup can be kept the user is asked,
    // told why, whether to write all the same: true when the write may go
    // ahead (kept, nothing to keep, or OK), false when the user cancelled it.
    // LastBackupError() says why it failed.
    bool KeepBackupBefore(std::uint32_t address, std::uint32_t count)
    {
        if (backups_ == nullptr || count == 0) {
            return true;
        }
        if (backupObserver_) {
            backupObserver_(false);
        }
        DeviceLibrary& source = backupSource_ != nullptr ? *backupSource_ : library_;
        const int kept = backups_->KeepBefore(source, vendorId_, productId_, address, count);
        if (backupObserver_) {
            backupObserver_(true);
        }
        if (kept != 0) {
            NoteBackup(backups_->LastPath());
            // Without a backup a record could name nothing that undoes the write.
            if (journal_ != nullptr) {
                JournalRecord record;
                record.chip = journalChip_;
                record.writtenVendorId = journalChip_.vendorId;
                record.writtenProductId = journalChip_.productId;
                record.writtenSerial = journalChip_.serial;
                record.command = commandName_.empty() ? "EEPROM page write" : commandName_;
                record.backup = lastBackupPath_;
                record.address = address;
                record.count = count;
                std::string ignored;
                journal_->Begin(record, ignored);
            }
            return true;
        }
        lastBackupPath_.clear();
        lastBackupError_ = backups_->LastError();
        return ui_.GetPrompter().Question(kAskWriteWithoutBackup + lastBackupError_ +
                                          kAskWriteWithoutBackupEnd);
    }
    // What to show after a failed write's own message; empty when nothing is.
    std::string BackupNoticeAfterFailure() const
    {
        if (!tellBackupAfterFailure_ || backups_ == nullptr) {
            return {};
        }
        if (!lastBackupPath_.empty()) {
            return "The EEPROM as it was before this write is kept in " + lastBackupPath_;
        }
        return lastBackupError_.empty() ? std::string() : "No backup was kept: " + lastBackupError_;
    }
    // A backup kept outside KeepBackupBefore (a restore keeps its own).
    void NoteBackup(std::string path)
    {
        lastBackupPath_ = std::move(path);
        lastBackupError_.clear();
        ++backupsKept_;
    }
    // How many backups were kept so far, so a command can tell whether it kept one.
    std::uint64_t BackupsKept() const { return backupsKept_; }
    // The backup of the last action that wrote the EEPROM; empty before the first.
    const std::string& LastBackupPath() const { return lastBackupPath_; }
    // Why the last backup could not be kept; empty when it was.
    const std::string& LastBackupError() const { return lastBackupError_; }
    BackupKeeper* Backups() const { return backups_; }
    // The library backups read through (below any call log).
    DeviceLibrary& BackupSource() { return backupSource_ != nullptr ? *backupSource_ : library_; }

private:
    UiContext& ui_;
    DeviceLibrary& library_;
    EepromConfig& config_;
    std::unique_ptr<DeviceProfile> profile_;
    PropertyPage* genericEventReceiver_ = nullptr;
    std::function<void()> pageInputObserver_;
    BackupKeeper* backups_ = nullptr;
    DeviceLibrary* backupSource_ = nullptr;
    bool tellBackupAfterFailure_ = false;
    std::function<void(bool done)> backupObserver_;
    std::uint16_t vendorId_ = 0;
    std::uint16_t productId_ = 0;
    std::string lastBackupPath_;
    std::string lastBackupError_;
    std::uint64_t backupsKept_ = 0;
    JournaledLibrary* journal_ = nullptr;
    bool offerWriteBack_ = false;
    JournalChip journalChip_;
    std::string chipFile_;
    std::string commandName_;
};

}  // namespace tovrik
