// SPDX-License-Identifier: MIT
#include "pages/demo/eeprom_page.h"

#include "formats/binary_file.h"
#include "pages/page_context.h"
#include "formats/hex_bytes.h"
#include "formats/hex_text.h"
#include "device/device_library.h"
#include "resources/demo_ids.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

namespace {

constexpr const char* kMsgErased = "Erase EEPROM completely";
constexpr const char* kMsgEraseFailed = "Fail to erase EEPROM";
constexpr const char* kMsgWriteFailed = "Fail to write Generic data";
constexpr const char* kMsgReadFailed = "Fail to read Generic data";
constexpr const char* kMsgTooManyBytes = "Fail to write Generic data, at most 2048 bytes";
constexpr const char* kMsgSizeTooLarge = "Fail to read Generic data, at most 2048 bytes";
constexpr const char* kMsgToFileDone = "Read EEPROM image completely";
constexpr const char* kMsgToFileFailed = "Fail to read EEPROM";
constexpr const char* kMsgFromFileDone = "Write EEPROM image completely";
constexpr const char* kMsgFromFileFailed = "Fail to write EEPROM";
constexpr const char* kMsgCannotWriteFile = "Cannot write the file ";
constexpr const char* kMsgCannotReadFile = "Cannot read the file ";
constexpr const char* kFileFilter = "EERPOM files (*.bin)|*.bin||";
constexpr const char* kFileExtension = "bin";
// The start address of both file copies, read like every other address text.
constexpr const char* kFileStartAddress = "0x00";

constexpr std::array<int, CEepromPage::kSizeCount> kEepromSizes = {256, 512, 1024, 2048};

}  // namespace

CEepromPage::CEepromPage(PageContext& app)
    : PropertyPage(app.Ui(), GetDialogTemplate(IDD_EEPROM)), app_(app)
{
}

int CEepromPage::OnInitDialog()
{
    if (Control* sizes = GetDlgItem(IDC_EEPROM_SIZE)) {
        sizes->SetCurSel(0);
    }
    UpdateData(false);
    return 1;
}

void CEepromPage::DoDataExchange(DataExchange& dx)
{
    dx.Text(IDC_EEPROM_DATA, dataText);
    dx.Text(IDC_EEPROM_COUNT, sizeText);
    dx.Text(IDC_EEPROM_ADDRESS, addressText);
}

int CEepromPage::SelectedSize() const
{
    const Control* sizes = GetDlgItem(IDC_EEPROM_SIZE);
    const int index = sizes != nullptr ? sizes->GetCurSel() : 0;
    return index >= 0 && index < kSizeCount ? kEepromSizes[static_cast<std::size_t>(index)]
                                            : kEepromSizes[0];
}

void CEepromPage::OnSetActive()
{
    app_.Library().rmSetEEPROMSize(1, SelectedSize());
    PropertyPage::OnSetActive();
}

void CEepromPage::OnCommand(int id, Notify code)
{
    if (id == IDC_EEPROM_SIZE && code == Notify::SelChange) {
        OnSizeChange();
        return;
    }
    if (code != Notify::Clicked) {
        return;
    }
    switch (id) {
        case IDC_EEPROM_ERASE:
            OnErase();
            break;
        case IDC_EEPROM_WRITE:
            OnWrite();
            break;
        case IDC_EEPROM_READ:
            OnRead();
            break;
        case IDC_EEPROM_SAVE_FILE:
            OnEepromToFile();
            break;
        case IDC_EEPROM_LOAD_FILE:
            OnFileToEeprom();
            break;
        default:
            break;
    }
}

void CEepromPage::ClearBuffer(std::uint8_t value, int size)
{
    std::fill_n(buffer_.begin(), size, value);
}

void CEepromPage::OnSizeChange()
{
    const Control* sizes = GetDlgItem(IDC_EEPROM_SIZE);
    const int index = sizes != nullptr ? sizes->GetCurSel() : -1;
    if (index >= 0 && index < kSizeCount) {
        app_.Library().rmSetEEPROMSize(1, kEepromSizes[static_cast<std::size_t>(index)]);
    }
}

void CEepromPage::OnErase()
{
    const int size = SelectedSize();
    ClearBuffer(0xFF, size);
    if (!app_.KeepBackupBefore(0, static_cast<std::uint32_t>(size))) {
        return;
    }
    const int ok = app_.Library().rmBurnEEPROM(kEepromWrite, 0, buffer_.data(),
                                               static_cast<std::uint32_t>(size));
    // The texts are cleared whatever the outcome.
    dataText.clear();
    addressText.clear();
    sizeText.clear();
    UpdateData(false);
    GetPrompter().MessageBox(ok != 0 ? kMsgErased : kMsgEraseFailed);
    if (ok == 0) {
        TellBackupAfterFailure();
    }
}

void CEepromPage::TellBackupAfterFailure()
{
    const std::string notice = app_.BackupNoticeAfterFailure();
    if (!notice.empty()) {
        GetPrompter().MessageBox(notice);
    }
}

void CEepromPage::OnWrite()
{
    if (UpdateData(true) == 0) {
        return;
    }
    ClearBuffer(0, SelectedSize());
    const int groups = ParseHexBytes(dataText, buffer_);
    if (groups > kBufferSize) {
        GetPrompter().MessageBox(kMsgTooManyBytes);
        return;
    }
    const auto count = static_cast<std::uint16_t>(groups);
    const std::uint32_t address = ParseHexText(addressText);
    if (!app_.KeepBackupBefore(address, count)) {
        return;
    }
    if (app_.Library().rmBurnEEPROM(kEepromWrite, address, buffer_.data(), count) == 0) {
        GetPrompter().MessageBox(kMsgWriteFailed);
        TellBackupAfterFailure();
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(count));
    sizeText = text;
    UpdateData(false);
}

void CEepromPage::OnRead()
{
    if (UpdateData(true) == 0) {
        return;
    }
    ClearBuffer(0, SelectedSize());
    const std::uint32_t address = ParseHexText(addressText);
    const std::uint32_t count = ParseHexText(sizeText);
    if (count > static_cast<std::uint32_t>(kBufferSize)) {
        GetPrompter().MessageBox(kMsgSizeTooLarge);
        return;
    }
    if (app_.Library().rmBurnEEPROM(kEepromRead, address, buffer_.data(), count) == 0) {
        GetPrompter().MessageBox(kMsgReadFailed);
        return;
    }
    std::string text;
    text.reserve(count * 3);
    for (std::uint32_t i = 0; i < count; ++i) {
        char group[4];
        std::snprintf(group, sizeof group, " %02x", static_cast<unsigned>(buffer_[i]));
        text += group;
    }
    dataText = std::move(text);
    UpdateData(false);
}

void CEepromPage::OnEepromToFile()
{
    const auto path = GetPrompter().SaveFile(kFileFilter, kFileExtension);
    if (!path) {
        return;
    }
    const int size = SelectedSize();
    ClearBuffer(0, size);
    const std::uint32_t start = ParseHexText(kFileStartAddress);
    if (app_.Library().rmBurnEEPROM(kEepromRead, start, buffer_.data(),
                                    static_cast<std::uint32_t>(size)) == 0) {
        GetPrompter().MessageBox(kMsgToFileFailed);
        return;
    }
    std::string error;
    if (!WriteBinaryFile(*path, buffer_.data(), size, error)) {
        GetPrompter().MessageBox(FileFailureMessage(kMsgCannotWriteFile, *path, error));
        return;
    }
    GetPrompter().MessageBox(kMsgToFileDone);
}

void CEepromPage::OnFileToEeprom()
{
    const auto path = GetPrompter().OpenFile(kFileFilter, kFileExtension);
    if (!path) {
        return;
    }
    const int size = SelectedSize();
    ClearBuffer(0, size);
    std::string error;
    if (!ReadBinaryFile(*path, buffer_.data(), size, error)) {
        GetPrompter().MessageBox(FileFailureMessage(kMsgCannotReadFile, *path, error));
        return;
    }
    const std::uint32_t start = ParseHexText(kFileStartAddress);
    if (!app_.KeepBackupBefore(start, static_cast<std::uint32_t>(size))) {
        return;
    }
    if (app_.Library().rmBurnEEPROM(kEepromWrite, start, buffer_.data(),
                                    static_cast<std::uint32_t>(size)) != 0) {
        GetPrompter().MessageBox(kMsgFromFileDone);
    } else {
        GetPrompter().MessageBox(kMsgFromFileFailed);
        TellBackupAfterFailure();
    }
}

}  // namespace tovrik
