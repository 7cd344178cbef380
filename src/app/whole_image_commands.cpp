// SPDX-License-Identifier: MIT
// The commands that act on the EEPROM as a whole: save, erase, refresh, and
// the copies between the EEPROM and image files.
#include <array>

#include "app/demo_app.h"
#include "app/demo_dlg.h"
#include "config/eeprom_config.h"
#include "device/device_library.h"
#include "formats/binary_file.h"
#include "resources/resource_ids.h"

namespace tovrik {

namespace {

constexpr const char* kMsgSaved =
    "Save into EEPROM completely.\n\nPlease un-plug and re-plug the USB device for the changes "
    "to take effect !!!";
constexpr const char* kMsgErased =
    "Erase EEPROM completely.\n\nPlease un-plug and re-plug the USB device for the changes to "
    "take effect !!!";
constexpr const char* kMsgEraseFailed = "Fail to erase EEPROM";
constexpr const char* kAskRefresh = "All changes before save will be discarded !!!";
constexpr const char* kMsgReadFailed = "Fail to read EEPROM";
constexpr const char* kMsgToFileDone = "EEPROM -> File completely";
constexpr const char* kMsgFromFileDone =
    "File -> EEPROM completely.\n\nPlease un-plug and re-plug the USB device for the changes "
    "to take effect !!!";
constexpr const char* kMsgWriteFailed = "Fail to write EEPROM";
// Saving the pages after another command wrote the EEPROM would undo that write unasked.
constexpr const char* kAskOverwriteChanged =
    "The EEPROM was changed after the pages were loaded (Erase or FILE -> EEPROM).\n\n"
    "Overwrite what the EEPROM holds now with the pages?";
constexpr const char* kFileFilter = "EERPOM files (*.bin)|*.bin||";
constexpr const char* kFileExtension = "bin";

constexpr std::size_t kImageFileSize = 256;
using ImageBuffer = std::array<std::uint8_t, kImageFileSize>;

}  // namespace

CDemoDlg::Outcome CDemoDlg::OnSaveEeprom()
{
    if (eepromChanged_ && !GetPrompter().Question(kAskOverwriteChanged)) {
        return Outcome::Cancelled;
    }
    for (CConfigPage* page : ConfigPages()) {
        page->StoreToImage();
    }
    if (!app_.Context().KeepBackupBefore(0, kImageFileSize)) {
        return Outcome::Cancelled;
    }
    if (app_.Config().SaveToEeprom() == 0) {
        TellBackupAfterFailure();
        return Outcome::Failed;
    }
    // The EEPROM holds what the pages show again.
    eepromChanged_ = false;
    SetDlgItemText(IDC_STATUS_NOTE, "");
    TellPages(PagesEvent::Loaded);
    GetPrompter().MessageBox(kMsgSaved);
    return Outcome::Done;
}

void CDemoDlg::TellBackupAfterFailure()
{
    const std::string notice = app_.Context().BackupNoticeAfterFailure();
    if (!notice.empty()) {
        GetPrompter().MessageBox(notice);
    }
}

CDemoDlg::Outcome CDemoDlg::OnErase()
{
    ImageBuffer buffer;
    buffer.fill(0xFF);
    if (!app_.Context().KeepBackupBefore(0, kImageFileSize)) {
        return Outcome::Cancelled;
    }
    if (app_.Library().rmBurnEEPROM(kEepromWrite, 0, buffer.data(),
                                    static_cast<std::uint32_t>(buffer.size())) != 0) {
        MarkEepromChanged();
        GetPrompter().MessageBox(kMsgErased);
        return Outcome::Done;
    }
    GetPrompter().MessageBox(kMsgEraseFailed);
    TellBackupAfterFailure();
    return Outcome::Failed;
}

CDemoDlg::Outcome CDemoDlg::OnRefresh()
{
    if (!GetPrompter().Question(kAskRefresh)) {
        return Outcome::Cancelled;
    }
    DisconnectDevice();
    connected = 0;
    if (ConnectDevice() == 0) {
        return Outcome::Failed;
    }
    LoadPages();
    connected = 1;
    return Outcome::Done;
}

CDemoDlg::Outcome CDemoDlg::OnEepromToFile()
{
    const auto path = GetPrompter().SaveFile(kFileFilter, kFileExtension);
    if (!path) {
        return Outcome::Cancelled;
    }
    ImageBuffer buffer{};
    if (app_.Library().rmBurnEEPROM(kEepromRead, 0, buffer.data(),
                                    static_cast<std::uint32_t>(buffer.size())) == 0) {
        GetPrompter().MessageBox(kMsgReadFailed);
        return Outcome::Failed;
    }
    std::string error;
    if (!WriteBinaryFile(*path, buffer.data(), buffer.size(), error)) {
        GetPrompter().MessageBox(FileFailureMessage("Cannot write the file ", *path, error));
        return Outcome::Failed;
    }
    GetPrompter().MessageBox(kMsgToFileDone);
    return Outcome::Done;
}

CDemoDlg::Outcome CDemoDlg::OnFileToEeprom()
{
    const auto path = GetPrompter().OpenFile(kFileFilter, kFileExtension);
    if (!path) {
        return Outcome::Cancelled;
    }
    ImageBuffer buffer{};
    std::string error;
    if (!ReadBinaryFile(*path, buffer.data(), buffer.size(), error)) {
        GetPrompter().MessageBox(FileFailureMessage("Cannot read the file ", *path, error));
        return Outcome::Failed;
    }
    if (!app_.Context().KeepBackupBefore(0, kImageFileSize)) {
        return Outcome::Cancelled;
    }
    if (app_.Library().rmBurnEEPROM(kEepromWrite, 0, buffer.data(),
                                    static_cast<std::uint32_t>(buffer.size())) != 0) {
        MarkEepromChanged();
        GetPrompter().MessageBox(kMsgFromFileDone);
        return Outcome::Done;
    }
    GetPrompter().MessageBox(kMsgWriteFailed);
    TellBackupAfterFailure();
    return Outcome::Failed;
}

}  // namespace tovrik
