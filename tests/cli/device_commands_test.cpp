// SPDX-License-Identifier: MIT
#include "cli/device_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/demo_dlg.h"
#include "app/factory_image.h"
#include "cli/exit_codes.h"
#include "cli/headless_tool.h"
#include "cli/settings_view.h"
#include "config/eeprom_config.h"
#include "device/hid_device_library.h"
#include "device/sim/sim_transport.h"
#include "device/sim/simulated_device.h"
#include "platform/safe_file.h"
#include "platform/user_input.h"
#include "resources/eq_ids.h"
#include "resources/misc_ids.h"
#include "resources/resource_ids.h"
#include "resources/usb_volume_ids.h"
#include "services/write_journal.h"
#include "temp_folder.h"

namespace tovrik::cli {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

DeviceOptions SimulatedChipIn(const std::string& file)
{
    DeviceOptions options;
    options.simulate = true;
    options.simulateFile = file;
    return options;
}

TEST(DeviceCommandsTest, WriteKeepsABackupAndVerifyFindsOneChangedByte)
{
    TempFolder folder;
    const DeviceOptions chip = SimulatedChipIn(folder / "chip.bin");
    std::vector<std::uint8_t> image(300);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7);
    }
    WriteBytes(folder / "big.bin", image);
    image.resize(200);
    WriteBytes(folder / "image.bin", image);
    std::ostringstream out;
    std::ostringstream err;

    // The factory chip has 256 bytes: a 300-byte file is refused, nothing written.
    EXPECT_EQ(WriteDevice(chip, folder / "big.bin", out, err), kExitUsage);
    ASSERT_EQ(WriteDevice(chip, folder / "image.bin", out, err), kExitOk) << err.str();
    std::vector<std::uint8_t> eeprom = ReadBytes(folder / "chip.bin");
    ASSERT_EQ(eeprom.size(), 256u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), eeprom.begin()));
    EXPECT_EQ(eeprom[200], FactoryEepromImage()[200]) << "bytes after the file changed";
    const auto backups = std::filesystem::path(folder / "state/tovrik/backups");
    ASSERT_EQ(std::distance(std::filesystem::directory_iterator(backups), {}), 1);
    EXPECT_EQ(ReadBytes(std::filesystem::directory_iterator(backups)->path().string()),
              FactoryEepromImage());

    EXPECT_EQ(VerifyDevice(chip, folder / "image.bin", false, out, err), kExitOk);
    image[199] ^= 0x10;
    WriteBytes(folder / "changed.bin", image);
    out.str("");
    EXPECT_EQ(VerifyDevice(chip, folder / "changed.bin", false, out, err), kExitDiffers);
    char line[64];
    std::snprintf(line, sizeof line, "0x00c7: file %02x, chip %02x", image[199], image[199] ^ 0x10);
    EXPECT_EQ(out.str(), std::string("1 of 200 bytes differ\n") + line + "\n");
}

TEST(DeviceCommandsTest, ReadsWhatTheOptionsAskAndSaysWhatItFoundInstead)
{
    TempFolder folder;
    DeviceOptions chip = SimulatedChipIn(folder / "chip.bin");
    chip.simEepromSize = 1024;
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(EraseDevice(chip, true, out, err), kExitOk) << err.str();
    ASSERT_EQ(ReadDevice(chip, folder / "all.bin", std::nullopt, true, out, err), kExitOk);
    EXPECT_EQ(ReadBytes(folder / "all.bin"), std::vector<std::uint8_t>(1024, 0xFF));
    ASSERT_EQ(ReadDevice(chip, folder / "first.bin", std::nullopt, false, out, err), kExitOk);
    EXPECT_EQ(ReadBytes(folder / "first.bin").size(), 256u);
    EXPECT_EQ(ReadDevice(chip, folder / "x.bin", 1025, false, out, err), kExitUsage);

    chip.vid = "abcd";
    err.str("");
    EXPECT_EQ(ReadDevice(chip, folder / "x.bin", std::nullopt, false, out, err), kExitNoDevice);
    EXPECT_EQ(err.str(),
              "tovrik-cli: no chip with the ids abcd:0001; found instead: sim:0 "
              "1209:0001 (Tovrik Tovrik USB Audio)\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "x.bin"));
}

TEST(DeviceCommandsTest, AWriteTheChipsFileRefusesSaysTheSystemsReason)
{
    TempFolder folder;
    const DeviceOptions chip = SimulatedChipIn(folder / "chip.bin");
    WriteBytes(folder / "chip.bin", std::vector<std::uint8_t>(256, 0x11));
    WriteBytes(folder / "image.bin", std::vector<std::uint8_t>(16, 0x22));
    // The backup goes down; then the disk is full.
    int writes = 0;
    SetFileWriteLimitForTesting(
        [&writes](std::size_t count) { return writes++ == 0 ? count : std::size_t{0}; });
    std::ostringstream out;
    std::ostringstream err;
    const int status = WriteDevice(chip, folder / "image.bin", out, err);
    SetFileWriteLimitForTesting({});
    EXPECT_EQ(status, kExitTransfer) << err.str();
    EXPECT_NE(err.str().find("writing the EEPROM failed: cannot write " + folder / "chip.bin" +
                             ": "),
              std::string::npos)
        << err.str();
    EXPECT_EQ(ReadBytes(folder / "chip.bin"), std::vector<std::uint8_t>(256, 0x11));
}

TEST(DeviceCommandsTest, AReadIntoTheSimulatedChipsOwnFileIsRefused)
{
    TempFolder folder;
    DeviceOptions chip = SimulatedChipIn(folder / "chip.bin");
    chip.simEepromSize = 2048;
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(EraseDevice(chip, true, out, err), kExitOk) << err.str();
    ASSERT_EQ(ReadBytes(folder / "chip.bin").size(), 2048u);
    std::vector<std::string> targets = {folder / "chip.bin", folder / "./chip.bin"};
    // A link to it too, where the system lets a test make one.
    std::error_code linkError;
    std::filesystem::create_symlink(folder / "chip.bin", folder / "link.bin", linkError);
    if (!linkError) {
        targets.push_back(folder / "link.bin");
    }
    for (const std::string& target : targets) {
        err.str("");
        EXPECT_EQ(ReadDevice(chip, target, std::nullopt, false, out, err), kExitUsage) << target;
        EXPECT_NE(err.str().find("holds the simulated chip's EEPROM"), std::string::npos)
            << err.str();
        EXPECT_EQ(ReadBytes(folder / "chip.bin").size(), 2048u) << target;
    }
}

// Saves the factory image after one edit on each configuration page of the
// window, as a user would, so that what the commands read is checked against
// what the window wrote.
std::vector<std::uint8_t> EditedOnEveryPage()
{
    const std::unique_ptr<ToolOnImage> loaded = OpenToolOnImage(FactoryEepromImage());
    CDemoDlg& window = loaded->Tool().Window();
    const std::vector<CConfigPage*> pages = window.ConfigPages();
    for (CConfigPage* page : pages) {
        window.Sheet().SetActivePage(page);
    }
    user_input::Type(*pages[0], *pages[0]->GetDlgItem(IDC_USB_PRODUCT), "Other");
    const int clicks[3][2] = {
        {1, IDC_VOL_PLAYBACK_MUTE}, {2, IDC_EQ_DISABLE}, {3, IDC_MISC_CLIPPING_LED}};
    for (const auto& [page, id] : clicks) {
        window.Sheet().SetActivePage(pages[page]);
        user_input::Click(*pages[page], *pages[page]->GetDlgItem(id));
    }
    user_input::Click(window, *window.GetDlgItem(IDC_SAVE_EEPROM));
    loaded->Tool().Session().Ui().DispatchPending();
    EXPECT_EQ(loaded->Tool().Messages().size(), 1u);
    return loaded->CloseAndTakeImage();
}

TEST(DeviceCommandsTest, DiffNamesOneChangedSettingOnEachPage)
{
    TempFolder folder;
    WriteBytes(folder / "a.bin", FactoryEepromImage());
    WriteBytes(folder / "b.bin", EditedOnEveryPage());
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(DiffImages(folder / "a.bin", folder / "a.bin", false, out, err), kExitOk);
    EXPECT_EQ(out.str(), "");
    ASSERT_EQ(DiffImages(folder / "a.bin", folder / "b.bin", false, out, err), kExitDiffers)
        << err.str();
    std::istringstream lines(out.str());
    std::vector<std::string> changes;
    for (std::string line; std::getline(lines, line);) {
        changes.push_back(line);
    }
    ASSERT_EQ(changes.size(), 4u) << out.str();
    EXPECT_EQ(changes[0], "[USB Config] Product String: \"Tovrik USB Headset\" -> \"Other\"");
    EXPECT_EQ(changes[1].rfind("[Volume Config] Playback Volume (", 0), 0u) << changes[1];
    EXPECT_NE(changes[1].find(" / Initial Mute: \"off\" -> \"on\""), std::string::npos);
    EXPECT_EQ(changes[2].rfind("[EQ Config] Disable EQ: ", 0), 0u) << changes[2];
    EXPECT_EQ(changes[3].rfind("[Misc Config] Enable Clipping LED: ", 0), 0u) << changes[3];

    // The device side compares the chip with a file the same way.
    const std::string imageDiff = out.str();
    WriteBytes(folder / "chip.bin", FactoryEepromImage());
    out.str("");
    EXPECT_EQ(DiffDevice(SimulatedChipIn(folder / "chip.bin"), folder / "b.bin", false, out, err),
              kExitDiffers);
    EXPECT_EQ(out.str(), imageDiff);
}

// The factory image with one register more, as the tool saves it.
std::vector<std::uint8_t> FactoryImageWith(std::uint8_t reg, std::uint8_t value)
{
    SimulatedDevice device;
    EXPECT_EQ(device.Start(), 1);
    SilentPrompter prompter;
    EepromConfig config(device.Library(), prompter);
    ApplyFactoryConfiguration(config);
    config.SetRegisterValue(reg, value);
    EXPECT_EQ(config.SaveToEeprom(), 1);
    device.Library().rmDeviceClose();
    std::vector<std::uint8_t> image = device.Chip().Eeprom();
    image.resize(EepromConfig::kImageSize);
    return image;
}

TEST(DeviceCommandsTest, DiffSeesTheLastSettingOfTheLastPage)
{
    // Bit 0 of register 0x9C is the misc page's last setting, a list the page keeps hidden.
    TempFolder folder;
    WriteBytes(folder / "a.bin", FactoryImageWith(0x9C, 0x00));
    WriteBytes(folder / "b.bin", FactoryImageWith(0x9C, 0x01));
    const std::string expected =
        "[Misc Config] OC Local Playback Volume Control: \"Disable\" -> \"Enable\"\n";
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(DiffImages(folder / "a.bin", folder / "b.bin", false, out, err), kExitDiffers)
        << err.str();
    EXPECT_EQ(out.str(), expected);
    WriteBytes(folder / "chip.bin", ReadBytes(folder / "a.bin"));
    out.str("");
    EXPECT_EQ(DiffDevice(SimulatedChipIn(folder / "chip.bin"), folder / "b.bin", false, out, err),
              kExitDiffers)
        << err.str();
    EXPECT_EQ(out.str(), expected);
}

// Our own library, except that every EEPROM read fails.
class FailingReadsLibrary : public HidDeviceLibrary {
public:
    using HidDeviceLibrary::HidDeviceLibrary;
    int rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                     std::uint32_t count) override
    {
        return direction == kEepromRead
                   ? 0
                   : HidDeviceLibrary::rmBurnEEPROM(direction, address, buffer, count);
    }
};

TEST(DeviceCommandsTest, VerifyTellsAFailedReadFromADifference)
{
    TempFolder folder;
    DeviceOptions chip = SimulatedChipIn(folder / "chip.bin");
    chip.external.make = [](HidTransport& view,
                            MessageQueue& queue) -> std::unique_ptr<DeviceLibrary> {
        return std::make_unique<FailingReadsLibrary>(view, queue);
    };
    WriteBytes(folder / "image.bin", std::vector<std::uint8_t>(16, 0x22));
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(VerifyDevice(chip, folder / "image.bin", false, out, err), kExitTransfer);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "tovrik-cli: reading the EEPROM failed\n");
}

TEST(DeviceCommandsTest, SetRefusesWhatTheWindowWouldCutAndWritesNothing)
{
    TempFolder folder;
    WriteBytes(folder / "in.bin", FactoryEepromImage());
    std::ostringstream out;
    std::ostringstream err;
    for (const char* bad : {"serial=0123456789012345678901234567890X", "interval=256", "vid=12G4",
                            "pid=12345", "colour=red", "serial", "serial=T\u20ac1"}) {
        err.str("");
        EXPECT_EQ(SetImage(folder / "in.bin", folder / "out.bin", {"product=ok", bad}, out, err),
                  kExitUsage)
            << bad;
        EXPECT_FALSE(std::filesystem::exists(folder / "out.bin")) << bad;
        EXPECT_EQ(err.str().rfind("tovrik-cli: ", 0), 0u) << err.str();
    }
    ASSERT_EQ(SetImage(folder / "in.bin", folder / "out.bin",
                       {"serial=TK-7", "vid=abcd", "interval=255"}, out, err),
              kExitOk)
        << err.str();
    out.str("");
    EXPECT_EQ(DiffImages(folder / "in.bin", folder / "out.bin", false, out, err), kExitDiffers);
    EXPECT_EQ(out.str(),
              "[USB Config] VID: \"1209\" -> \"ABCD\"\n"
              "[USB Config] Serial String: \"TK23-000001\" -> \"TK-7\"\n"
              "[USB Config] HID interrupt Interval (ms): \"4\" -> \"255\"\n");
}

std::size_t FilesIn(const std::filesystem::path& folder)
{
    std::error_code ec;
    std::size_t n = 0;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        ++n;
    }
    return n;
}

TEST(DeviceJournalTest, AVerifiedWriteLeavesNoRecordAndAnInMemoryChipMakesNone)
{
    TempFolder folder;
    WriteBytes(folder / "image.bin", std::vector<std::uint8_t>(256, 0x42));
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(WriteDevice(SimulatedChipIn(folder / "chip.bin"), folder / "image.bin", out, err),
              kExitOk)
        << err.str();
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "state/tovrik/journal"));
    EXPECT_EQ(FilesIn(folder.Path() / "state/tovrik/journal"), 0u);

    DeviceOptions inMemory;
    inMemory.simulate = true;
    std::filesystem::remove_all(folder.Path() / "state/tovrik/journal");
    ASSERT_EQ(EraseDevice(inMemory, false, out, err), kExitOk) << err.str();
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "state/tovrik/journal"));
}

TEST(DeviceJournalTest, AnUnfinishedWriteIsToldByEveryCommandAndRestoreUndoesIt)
{
    TempFolder folder;
    const DeviceOptions chip = SimulatedChipIn(folder / "chip.bin");
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(SetDevice(chip, {"usb.serial=UNIT-A"}, out, err), kExitOk) << err.str();
    const std::vector<std::uint8_t> unitA = ReadBytes(folder / "chip.bin");
    // A write that began (its backup kept, its record written) and never ended.
    WriteBytes(folder / "half.bin", std::vector<std::uint8_t>(256, 0xFF));
    BackupKeeper keeper;
    JournalRecord record;
    record.chip = {0x1209, 0x0001, "UNIT-A", folder / "chip.bin"};
    // Cut off, the chip may boot with its strings gone.
    record.writtenVendorId = 0x1209;
    record.writtenProductId = 0x0001;
    record.command = "device write half.bin";
    record.count = 256;
    record.backup = folder / "unit-a.bin";
    WriteBytes(record.backup, unitA);
    WriteJournal journal;
    std::string error;
    ASSERT_FALSE(journal.Begin(record, error).empty()) << error;
    std::vector<std::uint8_t> half = unitA;
    std::fill(half.begin() + 128, half.end(), 0xFF);
    WriteBytes(folder / "chip.bin", half);

    err.str("");
    EXPECT_EQ(ReadDevice(chip, folder / "now.bin", std::nullopt, false, out, err), kExitOk);
    EXPECT_NE(err.str().find("warning: a write to this chip was not finished (device write "
                             "half.bin, 256 bytes at 0); " +
                             record.backup + " holds what it replaced"),
              std::string::npos)
        << err.str();
    err.str("");
    EXPECT_EQ(VerifyDevice(chip, folder / "half.bin", false, out, err), kExitDiffers);
    EXPECT_NE(err.str().find(record.backup), std::string::npos) << err.str();
    err.str("");
    EXPECT_EQ(ListDevices(chip, false, out, err), kExitOk);
    EXPECT_NE(err.str().find(record.backup), std::string::npos) << err.str();
    // The commands that connect the tool's window warn as well.
    err.str("");
    EXPECT_EQ(ShowDevice(chip, false, out, err), kExitOk);
    EXPECT_NE(err.str().find(record.backup), std::string::npos) << err.str();

    out.str("");
    err.str("");
    ASSERT_EQ(RestoreDevice(chip, "", out, err), kExitOk) << err.str();
    EXPECT_EQ(ReadBytes(folder / "chip.bin"), unitA);
    EXPECT_NE(out.str().find("restoring " + record.backup + " (named by the record"),
              std::string::npos)
        << out.str();
    EXPECT_TRUE(journal.Records().empty());
    // What the restore replaced is kept: the half-written EEPROM is the newest backup.
    const std::vector<BackupEntry> backups = keeper.List();
    ASSERT_FALSE(backups.empty());
    EXPECT_EQ(ReadBytes(keeper.Folder() + "/" + backups[0].name), half);
    err.str("");
    EXPECT_EQ(ShowDevice(chip, false, out, err), kExitOk);
    EXPECT_EQ(err.str().find("warning"), std::string::npos) << err.str();
}

// Our own library, except that every EEPROM write fails.
class FailingWritesLibrary : public HidDeviceLibrary {
public:
    using HidDeviceLibrary::HidDeviceLibrary;
    int rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                     std::uint32_t count) override
    {
        return direction == kEepromWrite
                   ? 0
                   : HidDeviceLibrary::rmBurnEEPROM(direction, address, buffer, count);
    }
};

TEST(DeviceJournalTest, AFailedRestoreStillNamesTheBackupItKept)
{
    TempFolder folder;
    DeviceOptions chip = SimulatedChipIn(folder / "chip.bin");
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(SetDevice(chip, {"usb.serial=UNIT-A"}, out, err), kExitOk) << err.str();
    WriteBytes(folder / "other.bin", FactoryEepromImage());
    chip.external.make = [](HidTransport& view,
                            MessageQueue& queue) -> std::unique_ptr<DeviceLibrary> {
        return std::make_unique<FailingWritesLibrary>(view, queue);
    };
    out.str("");
    err.str("");
    EXPECT_EQ(RestoreDevice(chip, folder / "other.bin", out, err), kExitTransfer);
    const std::string text = out.str();
    const std::size_t at = text.find("backup: ");
    ASSERT_NE(at, std::string::npos) << text;
    const std::string kept = text.substr(at + 8, text.find('\n', at) - at - 8);
    EXPECT_TRUE(std::filesystem::is_regular_file(kept)) << text;
}

TEST(DeviceJournalTest, RestoreWithoutABackupOfThisSerialListsTheCandidatesAndExits2)
{
    TempFolder folder;
    const DeviceOptions chip = SimulatedChipIn(folder / "chip.bin");
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(SetDevice(chip, {"usb.serial=UNIT-A"}, out, err), kExitOk) << err.str();
    ASSERT_EQ(SetDevice(chip, {"usb.serial=UNIT-B"}, out, err), kExitOk) << err.str();
    const std::vector<std::uint8_t> unitB = ReadBytes(folder / "chip.bin");

    out.str("");
    ASSERT_EQ(ListBackups(chip, out, err), kExitOk) << err.str();
    EXPECT_NE(out.str().find("serial \"UNIT-A\"  differs from the chip"), std::string::npos)
        << out.str();

    out.str("");
    err.str("");
    EXPECT_EQ(RestoreDevice(chip, "", out, err), kExitUsage);
    EXPECT_NE(err.str().find("no backup qualifies"), std::string::npos) << err.str();
    EXPECT_NE(out.str().find("serial \"UNIT-A\""), std::string::npos) << out.str();
    EXPECT_EQ(ReadBytes(folder / "chip.bin"), unitB) << "nothing may be written";
}

TEST(SettingKeysTest, EachPageIsHeadedOnceBeforeItsKeys)
{
    std::ostringstream out;
    PrintSettingKeys(out);
    const std::string text = out.str();
    std::size_t headings = 0;
    for (std::size_t at = text.find("\n["); at != std::string::npos; at = text.find("\n[", at + 1)) {
        ++headings;
    }
    EXPECT_EQ(headings, 4u) << text;
    const std::size_t usb = text.find("\n[USB Config]\n  usb.vid (text): VID\n");
    const std::size_t volume = text.find("\n[Volume Config]\n  volume.playback.range (switch): ");
    const std::size_t eq = text.find("\n[EQ Config]\n  eq.disable (switch): Disable EQ\n");
    const std::size_t misc = text.find("\n[Misc Config]\n  misc.topology (list): Topology\n");
    ASSERT_NE(misc, std::string::npos) << text;
    EXPECT_LT(usb, volume);
    EXPECT_LT(volume, eq);
    EXPECT_LT(eq, misc);
}

}  // namespace
}  // namespace tovrik::cli
