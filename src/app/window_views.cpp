// SPDX-License-Identifier: MIT
// What the main window does beside its pages: image files opened as chips,
// restores from the Backups view, and the log of its commands.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/backups_view.h"
#include "app/demo_app.h"
#include "app/demo_dlg.h"
#include "config/eeprom_config.h"
#include "device/device_library.h"
#include "resources/resource_ids.h"
#include "resources/view_ids.h"
#include "services/backup_restore.h"
#include "services/session_log.h"

namespace tovrik {

namespace {

constexpr const char* kImageFilter = "EERPOM files (*.bin)|*.bin||";
constexpr const char* kImageExtension = "bin";
constexpr const char* kAskStopForImage = "Stop the connection without further saving ?";
constexpr const char* kMsgCannotFind = "Cannot find the HID device !!!";
constexpr const char* kReplug =
    "Please un-plug and re-plug the USB device for the changes to take effect !!!";

std::string FileName(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

}  // namespace

CDemoDlg::Outcome CDemoDlg::OnImageFile()
{
    // The entry only starts the command; the list goes back to the chip picked before.
    Control* list = GetDlgItem(IDC_DEVICE_LIST);
    int before = -1;
    for (std::size_t i = 0; i < listedDevices_.size(); ++i) {
        if (!pickedPath_.empty() && listedDevices_[i].path == pickedPath_) {
            before = static_cast<int>(i);
        }
    }
    list->SetCurSel(before);
    if (!app_.Services().openImageFile) {
        return Outcome::Cancelled;
    }
    const auto file = GetPrompter().OpenOrNewFile(kImageFilter, kImageExtension);
    if (!file) {
        return Outcome::Cancelled;
    }
    if (connected != 0) {
        if (!GetPrompter().Question(kAskStopForImage)) {
            return Outcome::Cancelled;
        }
        DisconnectDevice();
        connected = 0;
    }
    std::string error;
    const std::optional<HidDeviceInfo> chip = app_.Services().openImageFile(*file, error);
    if (!chip) {
        GetPrompter().MessageBox("The image file cannot be opened as a chip: " + error);
        return Outcome::Failed;
    }
    RefreshDeviceList();
    pickedPath_ = chip->path;
    RefreshDeviceList();
    for (std::size_t i = 0; i < listedDevices_.size(); ++i) {
        if (listedDevices_[i].path == chip->path) {
            list->SetCurSel(static_cast<int>(i));
        }
    }
    char text[8];
    std::snprintf(text, sizeof text, "%04X", chip->vendorId);
    SetDlgItemText(IDC_VID, text);
    std::snprintf(text, sizeof text, "%04X", chip->productId);
    SetDlgItemText(IDC_PID, text);
    if (ConnectDevice() == 0) {
        GetPrompter().MessageBox(kMsgCannotFind);
        return Outcome::Failed;
    }
    LoadPages();
    connected = 1;
    return Outcome::Done;
}

int CDemoDlg::RestoreBackupFile(const std::string& path)
{
    int written = 0;
    RunTimed("Restore " + FileName(path), [&] {
        const Outcome outcome = OnRestore(path);
        written = outcome == Outcome::Done ? 1 : 0;
        return outcome;
    });
    return written;
}

CDemoDlg::Outcome CDemoDlg::OnRestore(const std::string& path)
{
    PageContext& context = app_.Context();
    if (connected == 0 || context.Backups() == nullptr) {
        GetPrompter().MessageBox("No chip is connected to write " + path + " into");
        return Outcome::Failed;
    }
    if (!GetPrompter().Question("Write " + path +
                                " back into the EEPROM?\nWhat the EEPROM holds now is kept as "
                                "a backup first, and the pages are loaded again.")) {
        return Outcome::Cancelled;
    }
    JournaledLibrary* journal = context.Journal();
    std::string kept;
    std::string error;
    // The same verified write as the command line's restore, from address 0
    // over the backup's whole length.
    const int restored =
        RestoreBackup(context.BackupSource(), *context.Backups(),
                      journal != nullptr ? &journal->Journal() : nullptr, context.JournalChipNow(),
                      app_.Config().DetectedEepromSize(), path, kept, error);
    if (!kept.empty()) {
        context.NoteBackup(kept);
    }
    // Whatever went through, the library's idea of the EEPROM is stale.
    context.BackupSource().ForgetEepromContent();
    if (restored == 0) {
        GetPrompter().MessageBox("The backup could not be written back: " + error);
        return Outcome::Failed;
    }
    app_.Config().LoadFromEeprom();
    LoadPages();
    journalNotice_.clear();
    ShowChipStatus();
    GetPrompter().MessageBox("Written back from " + path +
                             ".\nWhat the EEPROM held before is kept in " + kept + ".\n\n" +
                             kReplug);
    return Outcome::Done;
}

void CDemoDlg::LogCommand(const std::string& name, Outcome outcome,
                          std::chrono::microseconds duration, std::uint64_t bytesBefore,
                          std::uint64_t backupsBefore)
{
    SessionLog* log = app_.Services().log;
    if (log == nullptr) {
        return;
    }
    LogEntry entry;
    entry.command = name;
    entry.outcome = outcome == Outcome::Done     ? "done"
                    : outcome == Outcome::Failed ? "failed"
                                                 : "cancelled";
    entry.duration = duration;
    entry.bytesWritten =
        app_.Services().bytesWritten ? app_.Services().bytesWritten() - bytesBefore : 0;
    if (app_.Context().BackupsKept() != backupsBefore) {
        entry.backup = app_.Context().LastBackupPath();
    }
    log->Add(std::move(entry));
    logView_->Refill();
}

}  // namespace tovrik
