// The commands that act on the EEPROM as a whole: save, erase, refresh, and
// the copies between the EEPROM and image files.
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

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

// Writes the bytes to a temporary file beside `path` and renames it over
// `path`, so a failed write never leaves a truncated image behind.
bool WriteImageFile(const std::string& path, const ImageBuffer& bytes)
{
    const std::string temporary = path + ".part";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) {
            return false;
        }
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (!file) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

// Reads up to 256 bytes of the file into the zeroed buffer.
bool ReadImageFile(const std::string& path, ImageBuffer& bytes)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return !file.bad();
}

}  // namespace

void CDemoDlg::OnSaveEeprom()
{
    for (CConfigPage* page : ConfigPages()) {
        page->StoreToImage();
    }
    if (app_.Config().SaveToEeprom() != 0) {
        GetPrompter().MessageBox(kMsgSaved);
    }
}

void CDemoDlg::OnErase()
{
    ImageBuffer buffer;
    buffer.fill(0xFF);
    if (app_.Library().rmBurnEEPROM(kEepromWrite, 0, buffer.data(),
                                    static_cast<std::uint32_t>(buffer.size())) != 0) {
        GetPrompter().MessageBox(kMsgErased);
    } else {
        GetPrompter().MessageBox(kMsgEraseFailed);
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
    if (!WriteImageFile(*path, buffer)) {
        GetPrompter().MessageBox("Cannot write the file " + *path);
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
    if (!ReadImageFile(*path, buffer)) {
        GetPrompter().MessageBox("Cannot read the file " + *path);
        return;
    }
    if (app_.Library().rmBurnEEPROM(kEepromWrite, 0, buffer.data(),
                                    static_cast<std::uint32_t>(buffer.size())) != 0) {
        GetPrompter().MessageBox(kMsgFromFileDone);
    } else {
        GetPrompter().MessageBox(kMsgWriteFailed);
    }
}

}  // namespace tovrik
