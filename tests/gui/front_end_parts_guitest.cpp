// SPDX-License-Identifier: MIT
// The parts of the front end around the windows: its command line, the file
// dialogs' filters, the simulated chip's backing file, the cross-thread
// delivery of window messages, and a tool that finds no device.
#include <gtest/gtest.h>

#include <QSettings>

#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <filesystem>
#include <fstream>

#include <thread>

#include "app/demo_dlg.h"
#include "command_line.h"
#include "app/factory_image.h"
#include "file_filter.h"
#include "message_pump.h"
#include "device/no_device_transport.h"
#include "platform/recording_prompter.h"
#include "platform/user_input.h"
#include "remembered_ids.h"
#include "resources/resource_ids.h"
#include "session/tool_session.h"
#include "session/simulated_session.h"

namespace tovrik::gui {
namespace {

TEST(CommandLineTest, ReadsTheSimulationOptions)
{
    CommandLine line = ParseCommandLine({"--simulate=build/eeprom.bin", "--sim-code", "31"});
    EXPECT_TRUE(line.error.empty()) << line.error;
    EXPECT_TRUE(line.simulate);
    EXPECT_EQ(line.simulateFile, "build/eeprom.bin");
    EXPECT_EQ(line.simCode, 31);

    line = ParseCommandLine({"--simulate", "--sim-code=0", "-platform", "offscreen"});
    EXPECT_TRUE(line.error.empty()) << line.error;
    EXPECT_EQ(line.simulateFile, "");
    EXPECT_EQ(line.simCode, 0);

    EXPECT_TRUE(ParseCommandLine({}).error.empty());
    EXPECT_FALSE(ParseCommandLine({}).simulate);
    EXPECT_TRUE(ParseCommandLine({"--help"}).help);
    EXPECT_TRUE(ParseCommandLine({"-v"}).version);
    EXPECT_FALSE(ParseCommandLine({"--simulate"}).demoFeatures);
    EXPECT_TRUE(ParseCommandLine({"--simulate", "--demo-features"}).demoFeatures);
}

TEST(CommandLineTest, RefusesWhatItCannotDo)
{
    EXPECT_NE(ParseCommandLine({"--sim-code", "3"}).error, "");  // without --simulate
    EXPECT_TRUE(ParseCommandLine({"--simulate", "--sim-timing", "real"}).simRealTiming);
    EXPECT_FALSE(ParseCommandLine({"--simulate", "--sim-timing=virtual"}).simRealTiming);
    EXPECT_NE(ParseCommandLine({"--simulate", "--sim-timing", "fast"}).error, "");
    EXPECT_NE(ParseCommandLine({"--sim-timing", "real"}).error, "");
    EXPECT_NE(ParseCommandLine({"--simulate", "--sim-code", "256"}).error, "");
    EXPECT_NE(ParseCommandLine({"--simulate", "--sim-code", "1a"}).error, "");
    EXPECT_NE(ParseCommandLine({"--simulate", "--sim-code"}).error, "");
    EXPECT_NE(ParseCommandLine({"--simulate="}).error, "");
    EXPECT_NE(ParseCommandLine({"--simulation"}).error, "");
    EXPECT_NE(ParseCommandLine({"file.bin"}).error, "");
    // Windows' own options are not the desktop tool's.
    EXPECT_NE(ParseCommandLine({"/?"}).error, "");
    EXPECT_NE(ParseCommandLine({"--vendor-library", "x.dll"}).error, "");
}

TEST(FileFilterTest, TheToolsFilterBecomesOneFilterWithItsPattern)
{
    const std::vector<FileFilter> filters = ParseFileFilter("EERPOM files (*.bin)|*.bin||");
    ASSERT_EQ(filters.size(), 1U);
    EXPECT_EQ(filters[0].description, "EERPOM files (*.bin)");
    EXPECT_EQ(filters[0].patterns, (std::vector<std::string>{"*.bin"}));
    EXPECT_EQ(ToolkitFilterText(filters[0]), "EERPOM files (*.bin)");
}

TEST(FileFilterTest, SeveralFiltersAndPatternsAndDescriptionsWithoutThem)
{
    const std::vector<FileFilter> filters =
        ParseFileFilter("Images|*.bin;*.hex|All files (*.*)|*.*|Broken||ignored|*.x||");
    ASSERT_EQ(filters.size(), 2U);
    EXPECT_EQ(ToolkitFilterText(filters[0]), "Images (*.bin *.hex)");
    EXPECT_EQ(ToolkitFilterText(filters[1]), "All files (*.*)");
    EXPECT_TRUE(ParseFileFilter("").empty());
    EXPECT_TRUE(ParseFileFilter("No patterns||").empty());
}

TEST(FileFilterTest, TheDefaultExtensionGoesOnlyOnANameWithoutOne)
{
    EXPECT_EQ(WithDefaultExtension("/tmp/eeprom", "bin"), "/tmp/eeprom.bin");
    EXPECT_EQ(WithDefaultExtension("/tmp/eeprom.bin", "bin"), "/tmp/eeprom.bin");
    EXPECT_EQ(WithDefaultExtension("/tmp/eeprom.img", "bin"), "/tmp/eeprom.img");
    EXPECT_EQ(WithDefaultExtension("/tmp/v1.2/eeprom", "bin"), "/tmp/v1.2/eeprom.bin");
    EXPECT_EQ(WithDefaultExtension("/tmp/.eeprom", "bin"), "/tmp/.eeprom.bin");
    EXPECT_EQ(WithDefaultExtension("eeprom", ""), "eeprom");
}

class BackingFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() /
                 ("tovrik-gui-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string Write(const std::string& name, std::size_t size)
    {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << std::string(size, '\x5A');
        return path;
    }

    std::filesystem::path folder;
};

ChipChoice BackedBy(const std::string& file, std::optional<int> deviceCode = std::nullopt)
{
    ChipChoice choice;
    choice.simulate = true;
    choice.backingFile = file;
    choice.deviceCode = deviceCode;
    return choice;
}

TEST_F(BackingFileTest, AMissingFileIsMadeFromTheFactoryImage)
{
    std::string error;
    const std::string path = (folder / "new.bin").string();
    const auto options = SimulatedChipFor(BackedBy(path, 12), error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->deviceCode, 12);
    {
        SimulatedChip chip(*options);
    }
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    const std::vector<std::uint8_t> factory = FactoryEepromImage();
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), factory);
}

TEST_F(BackingFileTest, TheEepromHasTheFileSizeAndOtherSizesAreRefused)
{
    std::string error;
    for (const std::size_t size : {256u, 512u, 1024u, 2048u}) {
        const auto options = SimulatedChipFor(
            BackedBy(Write(std::to_string(size) + ".bin", size)),
            error);
        ASSERT_TRUE(options) << error;
        EXPECT_EQ(options->eepromSize, static_cast<int>(size));
    }
    // A file a crash cut short is no erased EEPROM: it is refused by name.
    for (const std::size_t size : {0u, 10u, 600u, 2049u}) {
        error.clear();
        const std::string name = "cut" + std::to_string(size) + ".bin";
        EXPECT_FALSE(SimulatedChipFor(BackedBy(Write(name, size)), error));
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
    error.clear();
    EXPECT_FALSE(SimulatedChipFor(BackedBy(folder.string()), error));
    EXPECT_NE(error, "");
}

TEST_F(BackingFileTest, AMissingFileInAMissingFolderIsRefused)
{
    std::string error;
    const std::string path = (folder / "no-such-folder" / "chip.bin").string();
    EXPECT_FALSE(SimulatedChipFor(BackedBy(path), error));
    EXPECT_NE(error.find("does not exist"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(folder / "no-such-folder"));
}

TEST_F(BackingFileTest, AnImageLargerThanTheFactoryEepromKeepsItsTail)
{
    std::string error;
    const std::string path = Write("big.bin", 1024);
    const auto options = SimulatedChipFor(BackedBy(path), error);
    ASSERT_TRUE(options) << error;
    SimulatedChip chip(*options);
    auto eeprom = chip.Eeprom();
    eeprom[0] = 0x00;
    ASSERT_TRUE(chip.SetEeprom(eeprom));
    EXPECT_EQ(std::filesystem::file_size(path), 1024U);
    EXPECT_EQ(chip.Eeprom()[1023], 0x5A);
}

// A dialog that notes the thread each message reached it on.
class ThreadProbe : public Dialog {
public:
    using Dialog::Dialog;
    std::vector<std::pair<UINT, std::thread::id>> received;
    void OnMessage(UINT message, WPARAM, LPARAM) override
    {
        received.emplace_back(message, std::this_thread::get_id());
    }
};

TEST(MessagePumpTest, MessagesPostedOnOtherThreadsAreDeliveredInOrderOnTheGuiThread)
{
    RecordingPrompter prompter;
    MessageQueue queue;
    UiContext ui(prompter, queue);
    ThreadProbe probe(ui, DialogTemplate{});
    probe.Create();
    int batches = 0;
    MessagePump pump(ui, [&] { ++batches; });

    const WindowHandle target = probe.Handle();
    std::thread poster([&] {
        for (UINT m = 1; m <= 50; ++m) {
            queue.Post(target, 1000 + m, 0, 0);
        }
    });
    poster.join();
    EXPECT_TRUE(probe.received.empty());  // nothing runs on the posting thread

    QElapsedTimer timer;
    timer.start();
    while (probe.received.size() < 50 && timer.elapsed() < 2000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ASSERT_EQ(probe.received.size(), 50U);
    for (UINT m = 1; m <= 50; ++m) {
        EXPECT_EQ(probe.received[m - 1].first, 1000 + m);
        EXPECT_EQ(probe.received[m - 1].second, std::this_thread::get_id());
    }
    EXPECT_GE(batches, 1);
    EXPECT_LT(batches, 50);  // wake-ups are merged while one is pending
}

TEST(NoDeviceTest, WithoutAChipConnectSaysTheDeviceCannotBeFound)
{
    RecordingPrompter prompter;
    auto session = ToolSessionOver(std::make_unique<NoDeviceTransport>(), prompter);
    ASSERT_EQ(session->Start(false), 1);
    EXPECT_EQ(session->Chip(), nullptr);
    EXPECT_EQ(session->WindowTitle(), "Tovrik Configuration");
    CDemoDlg& dialog = *session->MainWindow();
    user_input::Type(dialog, *dialog.GetDlgItem(IDC_VID), "1209");
    user_input::Type(dialog, *dialog.GetDlgItem(IDC_PID), "0001");
    user_input::Click(dialog, *dialog.GetDlgItem(IDC_CONNECT));
    EXPECT_EQ(prompter.Messages(), (std::vector<std::string>{"Cannot find the HID device !!!"}));
    EXPECT_EQ(dialog.IsConnected(), 0);
}

// A device with the ids is listed but cannot be opened, for want of permission.
class RefusingTransport : public HidTransport {
public:
    std::vector<HidDeviceInfo> Enumerate() override
    {
        HidDeviceInfo info;
        info.path = "/dev/hidraw7";
        info.vendorId = 0x1209;
        info.productId = 0x0001;
        return {info};
    }
    std::unique_ptr<HidDevice> Open(const std::string&) override { return nullptr; }
    std::string OpenFailureMessage(const std::string& path) const override
    {
        return "No permission to open " + path;
    }
};

TEST(NoDeviceTest, AnInterfaceThatCannotBeOpenedSaysWhyFirst)
{
    RecordingPrompter prompter;
    auto session = ToolSessionOver(std::make_unique<RefusingTransport>(), prompter);
    ASSERT_EQ(session->Start(false), 1);
    CDemoDlg& dialog = *session->MainWindow();
    user_input::Type(dialog, *dialog.GetDlgItem(IDC_VID), "1209");
    user_input::Type(dialog, *dialog.GetDlgItem(IDC_PID), "0001");
    user_input::Click(dialog, *dialog.GetDlgItem(IDC_CONNECT));
    EXPECT_EQ(prompter.Messages(), (std::vector<std::string>{"No permission to open /dev/hidraw7",
                                                             "Cannot find the HID device !!!"}));
    EXPECT_EQ(dialog.GetDlgItemText(IDC_STATUS_CHIP), "No permission to open /dev/hidraw7");
}

TEST_F(BackingFileTest, TheIdsOfTheLastConnectionFillTheFieldsOfTheNextRun)
{
    QSettings settings((folder / "settings.ini").string().c_str(), QSettings::IniFormat);
    RecordingPrompter prompter;
    {
        auto first = SimulatedToolSession(prompter);
        ASSERT_EQ(first->Start(false), 1);
        CDemoDlg& dialog = *first->MainWindow();
        RestoreIds(dialog, settings);
        EXPECT_EQ(dialog.GetDlgItemText(IDC_VID), "");
        user_input::Type(dialog, *dialog.GetDlgItem(IDC_VID), "1209");
        user_input::Type(dialog, *dialog.GetDlgItem(IDC_PID), "1");
        RememberIds(dialog, settings);
    }
    auto second = SimulatedToolSession(prompter);
    ASSERT_EQ(second->Start(false), 1);
    RestoreIds(*second->MainWindow(), settings);
    EXPECT_EQ(second->MainWindow()->GetDlgItemText(IDC_VID), "1209");
    EXPECT_EQ(second->MainWindow()->GetDlgItemText(IDC_PID), "1");

    // A file edited by hand is not taken further than the fields would take it.
    settings.setValue("connection/vendorId", "12345");
    auto third = SimulatedToolSession(prompter);
    ASSERT_EQ(third->Start(false), 1);
    RestoreIds(*third->MainWindow(), settings);
    EXPECT_EQ(third->MainWindow()->GetDlgItemText(IDC_VID), "");
}

TEST(SimulatedTitleTest, TheTitleNamesTheChipItsIdsAndItsFile)
{
    RecordingPrompter prompter;
    auto plain = SimulatedToolSession(prompter);
    plain->Start(false);
    EXPECT_EQ(plain->WindowTitle(), "Tovrik Configuration \u2014 simulated chip 1209:0001");
}

}  // namespace
}  // namespace tovrik::gui
