// SPDX-License-Identifier: MIT
#include "app/backups_view.h"

#include <cstdio>
#include <filesystem>

#include "app/demo_app.h"
#include "app/demo_dlg.h"
#include "config/eeprom_config.h"
#include "device/device_library.h"
#include "platform/file_manager.h"
#include "platform/fitted_line.h"
#include "platform/safe_file.h"
#include "resources/dialog_templates.h"
#include "resources/view_ids.h"
#include "services/session_log.h"

namespace tovrik {

namespace {

constexpr std::size_t kLargestBackup = 2048;

std::string Ids(const JournalChip& chip)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04X:%04X", chip.vendorId, chip.productId);
    return text;
}

std::string Quoted(const std::string& value)
{
    return "\"" + value + "\"";
}

std::string Settings(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " setting" : " settings");
}

}  // namespace

CBackupsView::CBackupsView(CDemoApp& app, CDemoDlg& main)
    : Dialog(app.Ui(), GetDialogTemplate(IDD_BACKUPS)), app_(app), main_(main)
{
}

CBackupsView::~CBackupsView()
{
    Destroy();
}

void CBackupsView::Open(const std::string& select)
{
    if (!IsWindow()) {
        Create();
    }
    Fill(select);
}

void CBackupsView::Refill()
{
    if (IsWindow()) {
        const ChipBackup* selected = Selected();
        Fill(selected != nullptr ? selected->path : std::string());
    }
}

const ChipBackup* CBackupsView::Selected() const
{
    const Control* list = GetDlgItem(IDC_BACKUPS_LIST);
    const int row = list != nullptr ? list->GetCurSel() : -1;
    return row >= 0 && row < static_cast<int>(backups_.size())
               ? &backups_[static_cast<std::size_t>(row)]
               : nullptr;
}

void CBackupsView::Fill(const std::string& select)
{
    PageContext& context = app_.Context();
    const JournalChip& chip = context.JournalChipNow();
    const int fitted = app_.Config().DetectedEepromSize();
    backups_.clear();
    chip_.assign(static_cast<std::size_t>(std::max(fitted, 0)), 0);
    // The reads go below any call log: the view reads, the user wrote nothing.
    DeviceLibrary& library = context.BackupSource();
    chipRead_ = app_.CurrentDeviceProfile() != nullptr && !chip_.empty() &&
                library.rmBurnEEPROM(kEepromRead, 0, chip_.data(),
                                     static_cast<std::uint32_t>(chip_.size())) != 0;
    std::string heading;
    if (app_.CurrentDeviceProfile() == nullptr || context.Backups() == nullptr) {
        heading = "No chip is connected";
    } else {
        backups_ = ListChipBackups(*context.Backups(), chip, library, fitted);
        heading = std::to_string(backups_.size()) +
                  (backups_.size() == 1 ? " backup" : " backups") + " of " + Ids(chip) +
                  " (times in UTC) in " + WithSystemSeparators(context.Backups()->Folder());
        if (!chipRead_) {
            heading += "; the chip's EEPROM cannot be read";
        }
    }
    SetDlgItemText(IDC_BACKUPS_FOLDER, heading);
    Control* list = GetDlgItem(IDC_BACKUPS_LIST);
    list->ResetContent();
    int selected = -1;
    for (std::size_t i = 0; i < backups_.size(); ++i) {
        list->AddString(Row(backups_[i]));
        if (!select.empty() && backups_[i].path == select) {
            selected = static_cast<int>(i);
        }
    }
    list->SetCurSel(selected);
    GetDlgItem(IDC_BACKUPS_DIFFERENCES)->ResetContent();
    SetDlgItemText(IDC_BACKUPS_COMPARED, "");
    OnSelect();
}

std::string CBackupsView::Row(const ChipBackup& backup)
{
    std::string row = backup.time + "  " + std::to_string(backup.size) + " bytes  ";
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadFileBounded(backup.path, kLargestBackup, bytes, error)) {
        row += "cannot be read";
    } else if (!chipRead_) {
        row += "not compared";
    } else if (backup.equalsChip) {
        row += "what the chip holds";
    } else {
        const std::size_t differing =
            app_.Services().compareImages
                ? app_.Services().compareImages(chip_, bytes, app_.CurrentDeviceProfile()).size()
                : 0;
        row += differing == 0 ? "differs in bytes no setting shows"
                              : Settings(differing) + (differing == 1 ? " differs" : " differ");
    }
    return row;
}

void CBackupsView::OnSelect()
{
    const bool picked = Selected() != nullptr;
    EnableDlgItem(IDC_BACKUPS_COMPARE, picked && chipRead_);
    EnableDlgItem(IDC_BACKUPS_RESTORE, picked && app_.CurrentDeviceProfile() != nullptr);
}

void CBackupsView::OnCommand(int id, Notify code)
{
    if (id == IDC_BACKUPS_LIST && code == Notify::SelChange) {
        OnSelect();
        return;
    }
    if (code != Notify::Clicked) {
        return;
    }
    switch (id) {
        case IDC_BACKUPS_COMPARE:
            OnCompare();
            break;
        case IDC_BACKUPS_RESTORE:
            if (const ChipBackup* backup = Selected()) {
                // The main window reloads its pages; the list then shows the backup it kept.
                const std::string path = backup->path;
                main_.RestoreBackupFile(path);
                Refill();
            }
            break;
        case IDC_BACKUPS_OPEN_FOLDER:
            OnOpenFolder();
            break;
        case IDC_BACKUPS_CLOSE:
            Destroy();
            break;
        default:
            break;
    }
}

void CBackupsView::OnCompare()
{
    const ChipBackup* backup = Selected();
    Control* list = GetDlgItem(IDC_BACKUPS_DIFFERENCES);
    list->ResetContent();
    if (backup == nullptr || !chipRead_) {
        return;
    }
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadFileBounded(backup->path, kLargestBackup, bytes, error)) {
        SetDlgItemText(IDC_BACKUPS_COMPARED, error);
        return;
    }
    std::vector<SettingDifference> differences;
    if (app_.Services().compareImages) {
        differences = app_.Services().compareImages(chip_, bytes, app_.CurrentDeviceProfile());
    }
    const std::string name = backup->name;
    if (backup->equalsChip) {
        SetDlgItemText(IDC_BACKUPS_COMPARED, name + " holds what the chip holds");
    } else if (differences.empty()) {
        SetDlgItemText(IDC_BACKUPS_COMPARED,
                       name + " differs from the chip only in bytes no setting shows");
    } else {
        SetDlgItemText(IDC_BACKUPS_COMPARED,
                       name + " differs from the chip in " + Settings(differences.size()) + ":");
    }
    for (const SettingDifference& d : differences) {
        list->AddString(d.page + " / " + d.label + ": on the chip " + Quoted(d.onChip) +
                        ", in the backup " + Quoted(d.inOther));
    }
}

void CBackupsView::OnOpenFolder()
{
    const BackupKeeper* keeper = app_.Context().Backups();
    FileManager* manager = app_.Services().fileManager;
    if (keeper == nullptr || manager == nullptr) {
        return;
    }
    const std::string& folder = keeper->Folder();
    if (folder.empty() || !FileExists(folder)) {
        GetPrompter().MessageBox("No backup was kept yet: the folder " + folder +
                                 " does not exist");
        return;
    }
    std::string error;
    if (!manager->ShowFolder(folder, error)) {
        GetPrompter().MessageBox("The backups folder cannot be shown: " + error);
    }
}

CLogView::CLogView(CDemoApp& app) : Dialog(app.Ui(), GetDialogTemplate(IDD_LOG)), app_(app) {}

CLogView::~CLogView()
{
    Destroy();
}

void CLogView::Open()
{
    if (!IsWindow()) {
        Create();
    }
    Refill();
}

void CLogView::Refill()
{
    if (!IsWindow()) {
        return;
    }
    const SessionLog* log = app_.Services().log;
    if (log == nullptr) {
        SetDlgItemText(IDC_LOG_NOTE, "This session keeps no log");
        SetDlgItemText(IDC_LOG_TEXT, "");
        return;
    }
    std::string note;
    if (!log->LastError().empty()) {
        note = "Listed for this session only: " + log->LastError();
    } else if (log->Folder().empty()) {
        note = "Listed for this session only";
    } else {
        note = "Times in UTC; every day's commands are kept in " +
               WithSystemSeparators(log->DayFile(log->Entries().empty()
                                                     ? log->Now()
                                                     : log->Entries().back().when));
    }
    SetDlgItemText(IDC_LOG_NOTE, note);
    SetDlgItemText(IDC_LOG_TEXT, log->Text());
}

void CLogView::OnCommand(int id, Notify code)
{
    if (id == IDC_LOG_CLOSE && code == Notify::Clicked) {
        Destroy();
    }
}

}  // namespace tovrik
