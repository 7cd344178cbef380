// SPDX-License-Identifier: MIT
// The main window's Backups and Log views and its image files, driven as a
// user would through a whole session on a chip kept in a file.
#include "support/posix_shim.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/demo_dlg.h"
#include "app/factory_image.h"
#include "platform/file_manager.h"
#include "platform/fitted_line.h"
#include "platform/recording_prompter.h"
#include "platform/user_input.h"
#include "resources/resource_ids.h"
#include "resources/usb_volume_ids.h"
#include "resources/view_ids.h"
#include "session/tool_session.h"

namespace tovrik {
namespace {

namespace fs = std::filesystem;

// 2026-12-08 14:15:03 UTC.
constexpr std::time_t kNoon = 1796739303;

struct FolderRequests : FileManager {
    bool ShowFolder(const std::string& folder, std::string&) override
    {
        shown.push_back(folder);
        return true;
    }
    std::vector<std::string> shown;
};

class WindowViewsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "window-views-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        SessionDescription description;
        description.chip.simulate = true;
        description.chip.backingFile = dir + "/chip.bin";
        description.backupFolder = dir + "/backups";
        description.journalFolder = dir + "/journal";
        description.backupClock = [] { return kNoon; };
        description.keepLog = true;
        description.logFolder = dir + "/log";
        description.fileManager = &folders;
        // Commands take no time unless a test moves this clock.
        description.clock = [] { return std::chrono::microseconds(0); };
        std::string error;
        session = ToolSession::Build(description, prompter, error);
        ASSERT_NE(session, nullptr) << error;
        ASSERT_EQ(session->Start(false), 1);
    }
    void TearDown() override
    {
        session.reset();
        fs::remove_all(dir);
    }

    CDemoDlg& Window() { return *session->MainWindow(); }
    void Click(Dialog& dialog, int id)
    {
        ASSERT_NE(dialog.GetDlgItem(id), nullptr) << id;
        ASSERT_TRUE(dialog.GetDlgItem(id)->IsEnabled()) << id;
        user_input::Click(dialog, *dialog.GetDlgItem(id));
        session->Ui().DispatchPending();
    }
    void Connect()
    {
        user_input::Type(Window(), *Window().GetDlgItem(IDC_VID), "1209");
        user_input::Type(Window(), *Window().GetDlgItem(IDC_PID), "0001");
        Click(Window(), IDC_CONNECT);
        ASSERT_EQ(Window().IsConnected(), 1);
    }
    // Types a serial string on the USB page and saves it.
    void SaveSerial(const std::string& serial)
    {
        Dialog& usb = *Window().Sheet().GetActivePage();
        user_input::Type(usb, *usb.GetDlgItem(IDC_USB_SERIAL), serial);
        user_input::Leave(usb, *usb.GetDlgItem(IDC_USB_SERIAL));
        Click(Window(), IDC_SAVE_EEPROM);
    }
    std::string Serial()
    {
        return Window().Sheet().GetActivePage()->GetDlgItemText(IDC_USB_SERIAL);
    }
    static std::vector<std::uint8_t> Bytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::string dir;
    RecordingPrompter prompter;
    FolderRequests folders;
    std::unique_ptr<ToolSession> session;
};

TEST_F(WindowViewsTest, ABackupIsListedWithTheSettingsItDiffersInAndCompareNamesThem)
{
    Connect();
    const std::string before = Serial();
    SaveSerial("SN-0002");
    Click(Window(), IDC_BACKUPS);
    Dialog& view = Window().BackupsView();
    ASSERT_TRUE(view.IsWindow());
    EXPECT_EQ(view.GetDlgItem(IDC_BACKUPS_LIST)->Items(),
              std::vector<std::string>{"2026-12-08 14:15:03  256 bytes  1 setting differs"});
    EXPECT_FALSE(view.GetDlgItem(IDC_BACKUPS_COMPARE)->IsEnabled());
    user_input::Select(view, *view.GetDlgItem(IDC_BACKUPS_LIST), 0);
    Click(view, IDC_BACKUPS_COMPARE);
    EXPECT_EQ(view.GetDlgItem(IDC_BACKUPS_DIFFERENCES)->Items(),
              std::vector<std::string>{"USB Config / Serial String: on the chip \"SN-0002\", in "
                                       "the backup \"" +
                                       before + "\""});

    Click(view, IDC_BACKUPS_OPEN_FOLDER);
    EXPECT_EQ(folders.shown, std::vector<std::string>{dir + "/backups"});
}

TEST_F(WindowViewsTest, RestoreAsksThenWritesTheWholeBackupBackKeepingWhatItReplaced)
{
    Connect();
    const std::string factorySerial = Serial();
    SaveSerial("SN-0002");
    // An older backup (of the factory serial, with a byte no setting shows changed).
    std::vector<std::uint8_t> backup = Bytes(session->Backups().LastPath());
    ASSERT_EQ(backup.size(), 256u);
    backup[250] ^= 0x5A;
    const std::string older = dir + "/backups/20261201-100000-1209-0001.bin";
    std::ofstream(older, std::ios::binary)
        .write(reinterpret_cast<const char*>(backup.data()), static_cast<long>(backup.size()));
    const std::vector<std::uint8_t> replaced = session->Chip()->Eeprom();

    Click(Window(), IDC_BACKUPS);
    Dialog& view = Window().BackupsView();
    ASSERT_EQ(view.GetDlgItem(IDC_BACKUPS_LIST)->GetCount(), 2);
    user_input::Select(view, *view.GetDlgItem(IDC_BACKUPS_LIST), 1);
    prompter.QueueAnswer(false);
    Click(view, IDC_BACKUPS_RESTORE);
    EXPECT_EQ(session->Chip()->Eeprom(), replaced) << "Cancel wrote";
    EXPECT_EQ(Window().GetDlgItemText(IDC_STATUS_OPERATION),
              "Restore 20261201-100000-1209-0001.bin: cancelled");

    prompter.QueueAnswer(true);
    Click(view, IDC_BACKUPS_RESTORE);
    EXPECT_EQ(session->Chip()->Eeprom(), backup);
    EXPECT_EQ(Bytes(dir + "/chip.bin"), backup);
    // What the restore replaced is the newest backup, and the view lists it.
    const std::string kept = session->Backups().LastPath();
    EXPECT_EQ(Bytes(kept), replaced);
    EXPECT_EQ(view.GetDlgItem(IDC_BACKUPS_LIST)->GetCount(), 3);
    EXPECT_EQ(view.GetDlgItem(IDC_BACKUPS_LIST)->GetItemText(0).find("what the chip holds"),
              std::string::npos);
    // The pages show what the EEPROM holds now.
    EXPECT_NE(factorySerial, "SN-0002");
    EXPECT_EQ(Serial(), factorySerial);
    EXPECT_TRUE(session->Journal()->Records().empty());
    EXPECT_EQ(Window().GetDlgItemText(IDC_STATUS_BACKUP),
              "Backup of the EEPROM before the last write: " + WithSystemSeparators(kept));
}

TEST_F(WindowViewsTest, CancelOnTheUnfinishedWriteQuestionListsTheBackupsWithItsBackupPicked)
{
    Connect();
    SaveSerial("SN-0002");
    session->Chip()->DropEepromWriteCycle(3);
    Click(Window(), IDC_ERASE);
    ASSERT_EQ(session->Journal()->Records().size(), 1u);
    const std::string record = session->Journal()->Records()[0].backup;
    prompter.QueueAnswer(true);
    Click(Window(), IDC_CONNECT);
    prompter.QueueAnswer(false);
    Connect();
    Dialog& view = Window().BackupsView();
    ASSERT_TRUE(view.IsWindow());
    const Control& list = *view.GetDlgItem(IDC_BACKUPS_LIST);
    ASSERT_GE(list.GetCurSel(), 0);
    EXPECT_EQ(fs::path(record).filename().string(),
              fs::path(session->Backups().List()[static_cast<std::size_t>(list.GetCurSel())].name)
                  .string());
    EXPECT_TRUE(view.GetDlgItem(IDC_BACKUPS_RESTORE)->IsEnabled());
    // Writing that backup back ends the status line's notice of the unfinished write.
    const auto status = [&] {
        std::string all;
        for (int id : {IDC_STATUS_CHIP, IDC_STATUS_OPERATION, IDC_STATUS_BACKUP, IDC_STATUS_NOTE}) {
            all += Window().GetDlgItemText(id) + "\n";
        }
        return all;
    };
    ASSERT_NE(status().find("not finished"), std::string::npos) << status();
    prompter.QueueAnswer(true);
    Click(view, IDC_BACKUPS_RESTORE);
    EXPECT_EQ(status().find("not finished"), std::string::npos) << status();
    // Stopping closes the view: its backups were the chip's.
    prompter.QueueAnswer(true);
    Click(Window(), IDC_CONNECT);
    EXPECT_FALSE(view.IsWindow());
}

TEST_F(WindowViewsTest, TheLogListsEveryCommandWithItsBytesAndBackupAndKeepsThemInTheDaysFile)
{
    Connect();
    SaveSerial("SN-0002");
    const std::string backup = session->Backups().LastPath();
    SaveSerial("SN-0003");
    prompter.QueueAnswer(false);
    Click(Window(), IDC_REFRESH);
    Click(Window(), IDC_LOG);
    const std::string text = Window().LogView().GetDlgItemText(IDC_LOG_TEXT);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        lines.push_back(text.substr(at, text.find('\n', at) - at));
    }
    ASSERT_EQ(lines.size(), 4u) << text;
    EXPECT_EQ(lines[0],
              "2026-12-08 14:15:03 | Connect | done | 0.00 s | 0 bytes written | no backup");
    // Each save counts its own bytes, and names the backup it kept.
    const std::string saved = "2026-12-08 14:15:03 | Save EEPROM | done | 0.00 s | ";
    ASSERT_EQ(lines[1].rfind(saved, 0), 0u) << lines[1];
    EXPECT_NE(lines[1].rfind(" bytes written | backup " + WithSystemSeparators(backup)),
              std::string::npos)
        << lines[1];
    EXPECT_EQ(lines[1].substr(saved.size(), 2), lines[2].substr(saved.size(), 2));
    EXPECT_NE(lines[1].substr(saved.size(), 2), "0 ");
    EXPECT_NE(lines[2].find(" bytes written | backup " +
                            WithSystemSeparators(session->Backups().LastPath())),
              std::string::npos);
    EXPECT_NE(session->Backups().LastPath(), backup);
    EXPECT_EQ(lines[3],
              "2026-12-08 14:15:03 | Refresh | cancelled | 0.00 s | 0 bytes written | no backup");
    std::ifstream file(dir + "/log/2026-12-08.log");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), text);
    // While open, the view follows the commands that come after.
    SaveSerial("SN-0004");
    const std::string more = Window().LogView().GetDlgItemText(IDC_LOG_TEXT);
    EXPECT_EQ(more.rfind(text, 0), 0u) << more;
    EXPECT_NE(more.find("| Save EEPROM |", text.size()), std::string::npos) << more;
}

TEST_F(WindowViewsTest, AnImageFileOpensAsAChipAndItsSavesGoIntoTheFileWithABackup)
{
    Connect();
    Control& chips = *Window().GetDlgItem(IDC_DEVICE_LIST);
    ASSERT_EQ(chips.Items().back(), kImageFileEntry);
    // A file of no EEPROM size is refused as --simulate refuses it; the chip stays connected.
    const std::string odd = dir + "/odd.bin";
    std::ofstream(odd, std::ios::binary) << std::string(300, 'x');
    prompter.QueueFile(odd);
    prompter.QueueAnswer(true);
    user_input::Select(Window(), chips, chips.GetCount() - 1);
    EXPECT_EQ(prompter.Messages().back(),
              "The image file cannot be opened as a chip: " + odd +
                  ": 300 bytes is not the size of an EEPROM image (256, 512, 1024 or 2048 bytes)");

    // A new file: the factory image, saved into it at the first save.
    const std::string image = dir + "/template.bin";
    prompter.QueueFile(image);
    user_input::Select(Window(), chips, chips.GetCount() - 1);
    ASSERT_EQ(Window().IsConnected(), 1);
    EXPECT_NE(Window().GetDlgItemText(IDC_STATUS_CHIP).find(", image file " + image),
              std::string::npos)
        << Window().GetDlgItemText(IDC_STATUS_CHIP);
    const std::string picked = chips.GetItemText(chips.GetCurSel());
    EXPECT_EQ(picked.substr(picked.find('(')), "(file:" + image + ")");
    SaveSerial("TEMPLATE-1");
    const std::vector<std::uint8_t> saved = Bytes(image);
    ASSERT_EQ(saved.size(), 256u);
    EXPECT_EQ(saved, session->Chip()->Eeprom());
    EXPECT_NE(saved, FactoryEepromImage());
    EXPECT_EQ(session->Backups().List().size(), 1u);
    EXPECT_NE(session->Journal(), nullptr);
    EXPECT_NE(session->WindowTitle().find("EEPROM in template.bin"), std::string::npos);
    // The file is locked while it is the chip.
    std::string error;
    ChipChoice again;
    again.simulate = true;
    again.backingFile = image;
    EXPECT_FALSE(ChipAccess::Open(again, error));
}

}  // namespace
}  // namespace tovrik
