// The commands that act on the EEPROM as a whole: save, erase, refresh, and
// the copies between the EEPROM and image files.
#include <array>

#include "formats/binary_file.h"
#include "app/demo_app.h"
#include "app/demo_dlg.h"
#include "config/eeprom_config.h"
#include "device/device_library.h"

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
constexpr const char* kFileFilter = "EERPOM files (*.bin)|*.bin||";
constexpr const char* kFileExtension = "bin";

constexpr std::size_t kImageFileSize = 256;
using ImageBuffer = std::array<std::uint8_t, kImageFileSize>;

}  // namespace

void CDemoDlg::OnSaveEeprom()
{
    for (CConfigPage* page : ConfigPages()) {
        page->StoreToImage();
    }
    app_.Context().KeepBackupBefore(0, kImageFileSize);
    if (app_.Config().SaveToEeprom() != 0) {
        GetPrompter().MessageBox(kMsgSaved);
    } else {
        TellBackupAfterFailure();
    }
}

void CDemoDlg::TellBackupAfterFailure()
{
    const std::string notice = app_.Context().BackupNoticeAfterFailure();
    if (!notice.empty()) {
        GetPrompter().MessageBox(notice);
    }
}

void CDemoDlg::OnErase()
{
    ImageBuffer buffer;
    buffer.fill(0xFF);
    app_.Context().KeepBackupBefore(0, kImageFileSize);
    if (app_.Library().rmBurnEEPROM(kEepromWrite, 0, buffer.data(),
                                    static_cast<std::uint32_t>(buffer.size())) != 0) {
        GetPrompter().MessageBox(kMsgErased);
    } else {
        GetPrompter().MessageBox(kMsgEraseFailed);
        TellBackupAfterFailure();
    }
}

void CDemoDlg::OnRefresh()
{
    if (!GetPrompter().Question(kAskRefresh)) {
        return;
    }
    DisconnectDevice();
    connected = 0;
    if (ConnectDevice() != 0) {
        LoadPages();
        connected = 1;
    }
}

void CDemoDlg::OnEepromToFile()
{
    const auto path = GetPrompter().SaveFile(kFileFilter, kFileExtension);
    if (!path) {
        return;
    }
    ImageBuffer buffer{};
    if (app_.Library().rmBurnEEPROM(kEepromRead, 0, buffer.data(),
                                    static_cast<std::uint32_t>(buffer.size())) == 0) {
        GetPrompter().MessageBox(kMsgReadFailed);
        return;
    }
    std::string error;
    if (!WriteBinaryFile(*path, buffer.data(), buffer.size(), error)) {
        GetPrompter().MessageBox(FileFailureMessage("Cannot write the file ", *path, error));
        return;
    }
    GetPrompter().MessageBox(kMsgToFileDone);
}

void CDemoDlg::OnFileToEeprom()
{
    const auto path = GetPrompter().OpenFile(kFileFilter, kFileExtension);
    if (!path) {
        return;
    }
    ImageBuffer buffer{};
    std::string error;
    if (!ReadBinaryFile(*path, buffer.data(), buffer.size(), error)) {
        GetPrompter().MessageBox(FileFailureMessage("Cannot read the file ", *path, error));
        return;
    }
    app_.Context().KeepBackupBefore(0, kImageFileSize);
    if (app_.Library().rmBurnEEPROM(kEepromWrite, 0, buffer.data(),
                                    static_cast<std::uint32_t>(buffer.size())) != 0) {
        GetPrompter().MessageBox(kMsgFromFileDone);
    } else {
        GetPrompter().MessageBox(kMsgWriteFailed);
        TellBackupAfterFailure();
    }
}

}  // namespace tovrik
