// SPDX-License-Identifier: MIT
// The main window over the real library and a simulated chip.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/demo_app.h"
#include "app/demo_dlg.h"
#include "app/factory_image.h"
#include "config/eeprom_config.h"
#include "device/sim/simulated_device.h"
#include "pages/page_context.h"
#include "platform/fitted_line.h"
#include "platform/recording_prompter.h"
#include "platform/safe_file.h"
#include "platform/single_instance_lock.h"
#include "platform/user_input.h"
#include "resources/resource_ids.h"
#include "support/posix_shim.h"

namespace tovrik {
namespace {

using Messages = std::vector<std::string>;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        config.SetHidTransport(&device.Transport());
        ASSERT_EQ(app.InitInstance(false), 1);
        window = app.MainWindow();
        ASSERT_NE(window, nullptr);
        device.Transport().SetDeviceChangeTarget(&queue, window->Handle());
    }

    void Type(int id, const std::string& text)
    {
        window->GetDlgItem(id)->TypeText(text);
        window->OnCommand(id, Notify::Changed);
    }

    void Click(int id) { window->OnCommand(id, Notify::Clicked); }

    void Connect()
    {
        Type(IDC_VID, "1209");
        Type(IDC_PID, "0001");
        Click(IDC_CONNECT);
    }

    bool Enabled(int id) { return window->GetDlgItem(id)->IsEnabled(); }

    std::vector<std::string> PageTitles()
    {
        std::vector<std::string> titles;
        for (PropertyPage* page : window->Sheet().Pages()) {
            titles.push_back(page->Title());
        }
        return titles;
    }

    // Delivers messages until the queue stays quiet, for what the library's
    // reader thread posts.
    void Settle()
    {
        while (auto m = queue.Take(std::chrono::milliseconds(200))) {
            if (Dialog* target = ui.Find(m->window)) {
                target->OnMessage(m->message, m->wParam, m->lParam);
            }
        }
    }

    SimulatedDevice device{FactoryChipOptions()};
    RecordingPrompter prompter;
    MessageQueue& queue = device.Queue();
    UiContext ui{prompter, queue};
    EepromConfig config{device.Library(), prompter};
    CDemoApp app{ui, device.Library(), config};
    CDemoDlg* window = nullptr;
};

TEST_F(MainWindowTest, StartsDisconnectedInConfigurationMode)
{
    EXPECT_EQ(PageTitles(), (std::vector<std::string>{"USB Config", "Volume Config", "EQ Config",
                                                      "Misc Config", "About"}));
    EXPECT_EQ(window->Sheet().GetActivePage()->Title(), "USB Config");
    for (int id :
         {IDC_SAVE_EEPROM, IDC_ERASE, IDC_REFRESH, IDC_EEPROM_TO_FILE, IDC_FILE_TO_EEPROM}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    EXPECT_TRUE(window->IsDlgButtonChecked(IDC_MODE_CONFIG));
    EXPECT_FALSE(window->GetDlgItem(IDC_MODE_DEMO)->IsVisible());
    EXPECT_EQ(window->GetDlgItem(IDC_VID)->Limit(), 4);
    EXPECT_EQ(app.GenericEventReceiver()->Title(), "HID Control");
}

TEST_F(MainWindowTest, ConnectClassifiesLoadsAndEnablesTheCommands)
{
    Connect();
    EXPECT_EQ(prompter.Messages(), Messages{});
    EXPECT_EQ(window->IsConnected(), 1);
    EXPECT_EQ(window->GetDlgItemText(IDC_CONNECT), "Stop");
    for (int id :
         {IDC_SAVE_EEPROM, IDC_ERASE, IDC_REFRESH, IDC_EEPROM_TO_FILE, IDC_FILE_TO_EEPROM}) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
    ASSERT_NE(app.CurrentDeviceProfile(), nullptr);
    EXPECT_EQ(app.CurrentDeviceProfile()->code, 23);
    EXPECT_EQ(app.CurrentDeviceProfile()->typeName, "Headset with Line-In");
    std::string product;
    config.GetString(1, product);
    EXPECT_EQ(product, "Tovrik USB Headset");
}

TEST_F(MainWindowTest, RefusedConnectionsShowOneMessageAndStayDisconnected)
{
    Type(IDC_VID, "1209");
    Type(IDC_PID, "0002");
    Click(IDC_CONNECT);
    EXPECT_EQ(prompter.Messages(), Messages{"Cannot find the HID device !!!"});
    EXPECT_EQ(window->IsConnected(), 0);
    EXPECT_EQ(app.CurrentDeviceProfile(), nullptr);

    // A device code of 32 or more closes the device again.
    SimulatedDevice big(SimulatedChipOptions{256, {}, {}, 40});
    EepromConfig bigConfig(big.Library(), prompter);
    bigConfig.SetHidTransport(&big.Transport());
    RecordingPrompter quiet;
    UiContext bigUi{quiet, big.Queue()};
    CDemoApp bigApp{bigUi, big.Library(), bigConfig};
    bigApp.InitInstance(false);
    CDemoDlg* w = bigApp.MainWindow();
    w->GetDlgItem(IDC_VID)->TypeText("1209");
    w->GetDlgItem(IDC_PID)->TypeText("1");
    w->OnCommand(IDC_CONNECT, Notify::Clicked);
    EXPECT_EQ(quiet.Messages(), Messages{"Cannot find the HID device !!!"});
    EXPECT_FALSE(big.Library().IsOpen());
    EXPECT_EQ(bigApp.CurrentDeviceProfile()->code, 0);
    EXPECT_EQ(w->GetDlgItemText(IDC_CONNECT), "Connect");
}

TEST_F(MainWindowTest, StopAsksFirstAndRemovalNeedsNoQuestion)
{
    Connect();
    prompter.QueueAnswer(false);
    Click(IDC_CONNECT);
    EXPECT_EQ(window->IsConnected(), 1);
    EXPECT_TRUE(device.Library().IsOpen());
    prompter.QueueAnswer(true);
    Click(IDC_CONNECT);
    EXPECT_EQ(window->IsConnected(), 0);
    EXPECT_FALSE(device.Library().IsOpen());
    EXPECT_EQ(app.CurrentDeviceProfile(), nullptr);
    EXPECT_FALSE(Enabled(IDC_SAVE_EEPROM));

    Connect();
    prompter.Clear();
    device.Chip().Unplug();
    Settle();
    EXPECT_EQ(window->IsConnected(), 0);
    EXPECT_EQ(window->GetDlgItemText(IDC_CONNECT), "Connect");
    EXPECT_FALSE(Enabled(IDC_ERASE));
    EXPECT_TRUE(prompter.Prompts().empty());
}

TEST_F(MainWindowTest, ModeSwitchSwapsThePagesAroundTheAboutPage)
{
    Connect();
    Click(IDC_MODE_DEMO);
    EXPECT_EQ(PageTitles(), (std::vector<std::string>{"About", "GPIO Control", "EEPROM",
                                                      "I2C Control", "HID Control"}));
    EXPECT_EQ(window->Sheet().GetActivePage()->Title(), "GPIO Control");
    EXPECT_FALSE(Enabled(IDC_SAVE_EEPROM));
    EXPECT_TRUE(Enabled(IDC_ERASE));
    EXPECT_TRUE(window->IsDlgButtonChecked(IDC_MODE_DEMO));
    EXPECT_FALSE(window->IsDlgButtonChecked(IDC_MODE_CONFIG));
    for (CConfigPage* page : window->ConfigPages()) {
        EXPECT_FALSE(page->IsWindow());
    }

    Click(IDC_MODE_CONFIG);
    EXPECT_EQ(PageTitles(), (std::vector<std::string>{"About", "USB Config", "Volume Config",
                                                      "EQ Config", "Misc Config"}));
    EXPECT_EQ(window->Sheet().GetActivePage()->Title(), "USB Config");
    EXPECT_TRUE(Enabled(IDC_SAVE_EEPROM));
    Click(IDC_MODE_CONFIG);  // already there: nothing moves
    EXPECT_EQ(PageTitles().front(), "About");
}

TEST_F(MainWindowTest, ClosingAsksAndClosesAnOpenDevice)
{
    Connect();
    prompter.QueueAnswer(false);
    EXPECT_FALSE(window->OnClose());
    EXPECT_TRUE(window->IsWindow());
    prompter.QueueAnswer(true);
    EXPECT_TRUE(window->OnClose());
    EXPECT_FALSE(window->IsWindow());
    EXPECT_FALSE(device.Library().IsOpen());
    for (PropertyPage* page : window->AllPages()) {
        EXPECT_FALSE(page->IsWindow());
    }
}

TEST_F(MainWindowTest, SavingOverAnEraseIsAskedAndOnlyOkRestoresTheImageInMemory)
{
    Connect();
    const auto factory = device.Chip().Eeprom();
    // An ordinary save asks nothing.
    Click(IDC_SAVE_EEPROM);
    EXPECT_EQ(prompter.Prompts().size(), 1u);
    EXPECT_FALSE(window->EepromChangedSinceLoad());
    Click(IDC_ERASE);
    EXPECT_EQ(device.Chip().Eeprom(), std::vector<std::uint8_t>(256, 0xFF));
    EXPECT_TRUE(window->EepromChangedSinceLoad());

    prompter.Clear();
    prompter.QueueAnswer(false);
    Click(IDC_SAVE_EEPROM);
    EXPECT_EQ(device.Chip().Eeprom(), std::vector<std::uint8_t>(256, 0xFF));
    ASSERT_EQ(prompter.Prompts().size(), 1u);
    EXPECT_EQ(prompter.Prompts()[0].kind, RecordingPrompter::Kind::Question);
    EXPECT_EQ(window->GetDlgItemText(IDC_STATUS_OPERATION), "Save EEPROM: cancelled");
    EXPECT_EQ(window->GetDlgItemText(IDC_STATUS_NOTE), CDemoDlg::kEepromChangedNote);

    prompter.QueueAnswer(true);
    Click(IDC_SAVE_EEPROM);
    EXPECT_EQ(device.Chip().Eeprom(), factory);
    EXPECT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(window->GetDlgItemText(IDC_STATUS_NOTE), "");
    // The pages and the chip agree again: the next save asks nothing.
    prompter.Clear();
    Click(IDC_SAVE_EEPROM);
    EXPECT_EQ(prompter.Prompts().size(), 1u);
    EXPECT_EQ(prompter.UnansweredCount(), 0);

    device.Chip().FailEepromTransfer(1);
    prompter.Clear();
    Click(IDC_ERASE);
    EXPECT_EQ(prompter.Messages(), Messages{"Fail to erase EEPROM"});
}

TEST_F(MainWindowTest, EnterInAnIdFieldConnectsButNeverStops)
{
    Type(IDC_VID, "1209");
    Type(IDC_PID, "0001");
    user_input::Key(*window, *window->GetDlgItem(IDC_PID), true);
    ASSERT_EQ(window->IsConnected(), 1);
    EXPECT_EQ(window->GetDlgItemText(IDC_STATUS_OPERATION).rfind("Connect: done", 0), 0u);
    // Connected, Enter in either field asks nothing and keeps the connection.
    user_input::Key(*window, *window->GetDlgItem(IDC_VID), true);
    user_input::Key(*window, *window->GetDlgItem(IDC_PID), true);
    EXPECT_EQ(window->IsConnected(), 1);
    EXPECT_TRUE(prompter.Prompts().empty());
    // Tab only moves the focus.
    prompter.QueueAnswer(true);
    Click(IDC_CONNECT);
    ASSERT_EQ(window->IsConnected(), 0);
    user_input::Key(*window, *window->GetDlgItem(IDC_VID), false);
    EXPECT_EQ(window->IsConnected(), 0);
}

TEST_F(MainWindowTest, ALockThatCannotBeUsedIsReportedAndTheToolRuns)
{
#ifdef _WIN32
    GTEST_SKIP() << "the Windows lock is a named mutex, with no file to spoil";
#endif
    std::string runtime = (std::filesystem::temp_directory_path() / "runtime-XXXXXX").string();
    ASSERT_NE(mkdtemp(runtime.data()), nullptr);
    // A folder where the lock file should be: the lock cannot be opened.
    std::filesystem::create_directory(runtime + "/" + kToolInstanceName);
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old != nullptr ? old : "";
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    CDemoApp other{ui, device.Library(), config};
    EXPECT_EQ(other.InitInstance(true), 1);
    old != nullptr ? setenv("XDG_RUNTIME_DIR", saved.c_str(), 1) : unsetenv("XDG_RUNTIME_DIR");
    EXPECT_NE(other.InstanceLockProblem().find(runtime), std::string::npos)
        << other.InstanceLockProblem();
    std::filesystem::remove_all(runtime);
}

TEST_F(MainWindowTest, EveryOverwriteKeepsABackupAndAFailureSaysWhere)
{
    std::string folder = (std::filesystem::temp_directory_path() / "main-backups-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    BackupKeeper keeper(folder);
    app.Context().SetBackups(&keeper, &device.Library());
    app.Context().SetTellBackupAfterFailure(true);
    Connect();
    const auto factory = device.Chip().Eeprom();

    Click(IDC_ERASE);
    ASSERT_FALSE(window->LastBackupPath().empty());
    EXPECT_EQ(window->GetDlgItemText(IDC_STATUS_BACKUP),
              "Backup of the EEPROM before the last write: " +
                  WithSystemSeparators(window->LastBackupPath()));
    std::vector<std::uint8_t> kept;
    std::string error;
    ASSERT_TRUE(ReadFileBounded(window->LastBackupPath(), 2048, kept, error));
    EXPECT_EQ(kept, factory);

    // The backup read is the first transfer, the save's first write the second.
    device.Chip().FailEepromTransfer(2);
    prompter.Clear();
    prompter.QueueAnswer(true);
    Click(IDC_SAVE_EEPROM);
    ASSERT_FALSE(prompter.Messages().empty());
    EXPECT_EQ(prompter.Messages().back(),
              "The EEPROM as it was before this write is kept in " + window->LastBackupPath());
    ASSERT_TRUE(ReadFileBounded(window->LastBackupPath(), 2048, kept, error));
    EXPECT_EQ(kept, std::vector<std::uint8_t>(256, 0xFF));
    EXPECT_EQ(keeper.List().size(), 2u);
    std::filesystem::remove_all(folder);
}

TEST_F(MainWindowTest, AWriteWithoutABackupIsAskedNamingWhyAndDoneOnlyOnOk)
{
    std::string folder =
        (std::filesystem::temp_directory_path() / "main-no-backup-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    // A file where the backup folder would go: no backup can be kept.
    std::ofstream(folder + "/backups") << "in the way";
    BackupKeeper keeper(folder + "/backups");
    app.Context().SetBackups(&keeper, &device.Library());
    Connect();
    const auto factory = device.Chip().Eeprom();
    const std::string question = std::string(kAskWriteWithoutBackup) + folder +
                                 "/backups: the backup folder cannot be made" +
                                 kAskWriteWithoutBackupEnd;

    prompter.Clear();
    prompter.QueueAnswer(false);
    Click(IDC_ERASE);
    ASSERT_EQ(prompter.Prompts().size(), 1u);
    EXPECT_EQ(prompter.Prompts()[0].text, question);
    EXPECT_EQ(prompter.Prompts()[0].answer, "cancel");
    EXPECT_EQ(device.Chip().Eeprom(), factory) << "written although cancelled";

    prompter.Clear();
    prompter.QueueAnswer(true);
    Click(IDC_ERASE);
    ASSERT_GE(prompter.Prompts().size(), 1u);
    EXPECT_EQ(prompter.Prompts()[0].text, question);
    EXPECT_EQ(device.Chip().Eeprom(), std::vector<std::uint8_t>(factory.size(), 0xFF));
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tovrik
