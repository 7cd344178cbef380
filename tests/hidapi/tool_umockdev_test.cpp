// SPDX-License-Identifier: MIT
// The device library and the whole tool over HidapiTransport: the real hidapi
// library, a umockdev hidraw node and the simulated chip behind it.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/demo_app.h"
#include "app/demo_dlg.h"
#include "app/factory_image.h"
#include "config/eeprom_config.h"
#include "device/hid_device_library.h"
#include "device/hidapi/hidapi_transport.h"
#include "device/sim/simulated_device.h"
#include "platform/recording_prompter.h"
#include "resources/resource_ids.h"
#include "umockdev_chip.h"

namespace tovrik {
namespace {

using Messages = std::vector<std::string>;
constexpr const char* kCannotFind = "Cannot find the HID device !!!";

// --- The device library ---

class LibraryThroughHidapiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(bed.Error(), "");
        ASSERT_EQ(
            library.rmDeviceStart(0x1209, 0x0001, 1, 0, DeviceAddedMessage, DeviceRemovedMessage),
            1);
    }

    UmockdevChip bed{FactoryChipOptions()};
    HidapiTransport transport;
    MessageQueue queue;
    HidDeviceLibrary library{transport, queue};
};

// Round trips a second and the time a close takes, printed for the record
// (docs/performance.md); the bounds only catch a command or a close that
// waits out the reader's poll again.
TEST_F(LibraryThroughHidapiTest, CommandsGoOutAtOnceAndCloseWakesTheReader)
{
    using Clock = std::chrono::steady_clock;
    constexpr int kCommands = 200;
    const auto start = Clock::now();
    for (int i = 0; i < kCommands; ++i) {
        library.rmSetPinGPOLevel(static_cast<std::uint16_t>(i));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(bed.Chip().GpioLevel(), kCommands - 1);
    const auto closing = Clock::now();
    library.rmDeviceClose();
    const double closeMs =
        std::chrono::duration<double, std::milli>(Clock::now() - closing).count();
    std::printf("[ figures  ] %.0f commands/s, close %.2f ms\n", kCommands / seconds, closeMs);
    RecordProperty("commands_per_second", static_cast<int>(kCommands / seconds));
    EXPECT_LT(seconds / kCommands * 1000, 3.0) << "ms per command";
    EXPECT_LT(closeMs, 10.0);
}

TEST_F(LibraryThroughHidapiTest, EepromAndI2cTransfersRoundTrip)
{
    std::vector<std::uint8_t> image(256);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    ASSERT_EQ(library.rmBurnEEPROM(kEepromWrite, 0, image.data(), 256), 1);
    EXPECT_EQ(bed.Chip().Eeprom(), image);
    std::vector<std::uint8_t> back(256);
    ASSERT_EQ(library.rmBurnEEPROM(kEepromRead, 0, back.data(), 256), 1);
    EXPECT_EQ(back, image);

    // A transfer the chip fails is seen as failed through hidapi too.
    bed.Chip().FailEepromTransfer(1);
    EXPECT_EQ(library.rmBurnEEPROM(kEepromRead, 0, back.data(), 16), 0);

    library.rmSetI2CDeviceAddress(SimulatedChip::kI2cMemoryAddress);
    const std::uint8_t bytes[11] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    library.rmWriteDataIntoI2C(0x05, bytes, 11);
    std::uint8_t read[11] = {};
    ASSERT_EQ(library.rmReadDataFromI2C(0x05, read, 11), 1);
    EXPECT_TRUE(std::equal(std::begin(bytes), std::end(bytes), std::begin(read)));

    library.rmSetPin2GPO(0xA5C3);
    library.rmSetPinGPOLevel(0x0101);
    EXPECT_EQ(bed.Chip().GpioDirection(), 0xA5C3);
    EXPECT_EQ(bed.Chip().GpioLevel(), 0x0101);
}

TEST_F(LibraryThroughHidapiTest, EventsBecomeWindowMessages)
{
    library.rmSetGenericNotifyMessages(GenericNotifyMessage);
    library.rmSetGPIGenericNotifyMessages(GPIGenericNotifyMessage);
    ASSERT_TRUE(bed.Chip().GenericEvent({0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}));
    ASSERT_TRUE(bed.Chip().GpiEvent({1, 2, 3, 4}));
    auto first = queue.Take(std::chrono::seconds(2));
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->message, GenericNotifyMessage);
    EXPECT_EQ(first->wParam, static_cast<WPARAM>(0x44332211));
    EXPECT_EQ(first->lParam, static_cast<LPARAM>(0x88776655));
    auto second = queue.Take(std::chrono::seconds(2));
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->message, GPIGenericNotifyMessage);
    EXPECT_EQ(second->wParam, static_cast<WPARAM>(0x04030201));
}

TEST_F(LibraryThroughHidapiTest, ARemovedChipIsAnnouncedOnceAndFailsTransfers)
{
    bed.Unplug();
    auto removed = queue.Take(std::chrono::seconds(2));
    ASSERT_TRUE(removed.has_value()) << "the reader did not notice the removal";
    EXPECT_EQ(removed->message, DeviceRemovedMessage);
    EXPECT_EQ(removed->window, 1);

    std::uint8_t buffer[8] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(library.rmBurnEEPROM(kEepromRead, 0, buffer, 8), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400))
        << "a vanished device must fail at once, not by time-out";
    EXPECT_FALSE(library.IsOpen());
    EXPECT_FALSE(queue.Take(std::chrono::milliseconds(100)).has_value()) << "announced twice";

    // Plugged in again, the chip is found and opened afresh.
    ASSERT_TRUE(bed.Plug());
    ASSERT_EQ(library.rmDeviceStart(0x1209, 0x0001, 1, 0, DeviceAddedMessage, DeviceRemovedMessage),
              1);
    EXPECT_EQ(library.rmBurnEEPROM(kEepromRead, 0, buffer, 8), 1);
}

TEST_F(LibraryThroughHidapiTest, DetectionReadsByteSevenOfInputReportOne)
{
    RecordingPrompter prompter;
    EepromConfig config{library, prompter};
    config.SetHidTransport(&transport);
    bed.Chip().SetDeviceCode(0x1F);
    EXPECT_EQ(config.DetectDevice(0x1209, 0x0001), 1);
    EXPECT_EQ(config.GetDeviceCode(), 31);

    bed.Chip().RefuseInputReport1(true);
    EXPECT_EQ(config.DetectDevice(0x1209, 0x0001), 0);
    EXPECT_EQ(config.GetDeviceCode(), 0);

    bed.Chip().RefuseInputReport1(false);
    EXPECT_EQ(config.DetectDevice(0x1209, 0x0002), 0) << "no interface with these ids";
    EXPECT_EQ(config.GetDeviceCode(), 0);
    // The detection's handles came and went beside the library's own.
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(library.rmBurnEEPROM(kEepromRead, 0, buffer, 4), 1);
}

// --- The whole tool ---

struct ToolStack {
    explicit ToolStack(HidTransport& transport)
        : library(transport, queue), config(library, prompter), app(ui, library, config)
    {
        config.SetHidTransport(&transport);
    }

    MessageQueue queue;
    HidDeviceLibrary library;
    RecordingPrompter prompter;
    UiContext ui{prompter, queue};
    EepromConfig config;
    CDemoApp app;
};

class ToolThroughHidapiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(bed.Error(), "");
        Start(tool);
    }

    void Start(ToolStack& stack)
    {
        ASSERT_EQ(stack.app.InitInstance(false), 1);
        ASSERT_NE(stack.app.MainWindow(), nullptr);
    }

    static void Connect(ToolStack& stack)
    {
        CDemoDlg& w = *stack.app.MainWindow();
        w.GetDlgItem(IDC_VID)->TypeText("1209");
        w.OnCommand(IDC_VID, Notify::Changed);
        w.GetDlgItem(IDC_PID)->TypeText("0001");
        w.OnCommand(IDC_PID, Notify::Changed);
        w.OnCommand(IDC_CONNECT, Notify::Clicked);
    }

    void Click(int id) { Window().OnCommand(id, Notify::Clicked); }
    CDemoDlg& Window() { return *tool.app.MainWindow(); }

    // Delivers what the reader posts until the queue stays quiet.
    void Settle()
    {
        while (auto m = tool.queue.Take(std::chrono::milliseconds(300))) {
            if (Dialog* target = tool.ui.Find(m->window)) {
                target->OnMessage(m->message, m->wParam, m->lParam);
            }
        }
    }

    std::filesystem::path TempFile(const std::string& name)
    {
        const auto dir = std::filesystem::temp_directory_path() /
                         ("tovrik-umockdev-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        return dir / name;
    }

    void TearDown() override
    {
        std::filesystem::remove_all(std::filesystem::temp_directory_path() /
                                    ("tovrik-umockdev-" + std::to_string(::getpid())));
    }

    UmockdevChip bed{FactoryChipOptions()};
    HidapiTransport transport;
    ToolStack tool{transport};
};

TEST_F(ToolThroughHidapiTest, ConnectLoadsWhatTheInProcessChipGives)
{
    Connect(tool);
    EXPECT_EQ(tool.prompter.Messages(), Messages{});
    EXPECT_EQ(Window().IsConnected(), 1);
    EXPECT_EQ(Window().GetDlgItemText(IDC_CONNECT), "Stop");
    ASSERT_NE(tool.app.CurrentDeviceProfile(), nullptr);
    EXPECT_EQ(tool.app.CurrentDeviceProfile()->code, 23);

    // The same chip reached in-process gives the same image and profile.
    SimulatedDevice reference{FactoryChipOptions()};
    RecordingPrompter quiet;
    EepromConfig referenceConfig{reference.Library(), quiet};
    referenceConfig.SetHidTransport(&reference.Transport());
    UiContext referenceUi{quiet, reference.Queue()};
    CDemoApp referenceApp{referenceUi, reference.Library(), referenceConfig};
    ASSERT_EQ(referenceApp.InitInstance(false), 1);
    CDemoDlg& w = *referenceApp.MainWindow();
    w.GetDlgItem(IDC_VID)->TypeText("1209");
    w.OnCommand(IDC_VID, Notify::Changed);
    w.GetDlgItem(IDC_PID)->TypeText("0001");
    w.OnCommand(IDC_PID, Notify::Changed);
    w.OnCommand(IDC_CONNECT, Notify::Clicked);
    ASSERT_EQ(w.IsConnected(), 1);

    int present = 0;
    for (int reg = 0; reg < 256; ++reg) {
        const auto r = static_cast<std::uint8_t>(reg);
        ASSERT_EQ(tool.config.IsRegisterPresent(r), referenceConfig.IsRegisterPresent(r)) << reg;
        if (tool.config.IsRegisterPresent(r)) {
            ++present;
            EXPECT_EQ(tool.config.GetRegisterValue(r), referenceConfig.GetRegisterValue(r)) << reg;
        }
    }
    EXPECT_GT(present, 10);
    for (int index = 0; index < 4; ++index) {
        std::string ours;
        std::string theirs;
        tool.config.GetString(index, ours);
        referenceConfig.GetString(index, theirs);
        EXPECT_EQ(ours, theirs) << index;
    }
    EXPECT_EQ(tool.app.CurrentDeviceProfile()->typeName,
              referenceApp.CurrentDeviceProfile()->typeName);
}

TEST_F(ToolThroughHidapiTest, SaveEraseAndFileCopiesReachTheChip)
{
    Connect(tool);
    const auto factory = bed.Chip().Eeprom();
    Click(IDC_ERASE);
    EXPECT_EQ(bed.Chip().Eeprom(), std::vector<std::uint8_t>(256, 0xFF));
    // Saving the pages over the erase is asked first.
    tool.prompter.QueueAnswer(true);
    Click(IDC_SAVE_EEPROM);
    EXPECT_EQ(bed.Chip().Eeprom(), factory);

    const auto copy = TempFile("copy.bin");
    tool.prompter.QueueFile(copy.string());
    Click(IDC_EEPROM_TO_FILE);
    std::ifstream in(copy, std::ios::binary);
    const std::vector<std::uint8_t> saved{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(saved, factory);

    std::vector<std::uint8_t> pattern(256);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        pattern[i] = static_cast<std::uint8_t>(255 - i);
    }
    const auto source = TempFile("pattern.bin");
    std::ofstream(source, std::ios::binary)
        .write(reinterpret_cast<const char*>(pattern.data()), 256);
    tool.prompter.QueueFile(source.string());
    Click(IDC_FILE_TO_EEPROM);
    EXPECT_EQ(bed.Chip().Eeprom(), pattern);
    EXPECT_EQ(tool.prompter.UnansweredCount(), 0);
    EXPECT_EQ(tool.prompter.Messages().size(), 4u) << "saved, erased, two copies done";
}

TEST_F(ToolThroughHidapiTest, RemovalDisconnectsWithoutAQuestion)
{
    Connect(tool);
    ASSERT_EQ(Window().IsConnected(), 1);
    tool.prompter.Clear();
    bed.Unplug();
    Settle();
    EXPECT_EQ(Window().IsConnected(), 0);
    EXPECT_EQ(Window().GetDlgItemText(IDC_CONNECT), "Connect");
    EXPECT_FALSE(Window().GetDlgItem(IDC_ERASE)->IsEnabled());
    EXPECT_TRUE(tool.prompter.Prompts().empty());

    // Unplugged, the chip cannot be found; plugged in again, it connects.
    Connect(tool);
    EXPECT_EQ(tool.prompter.Messages(), Messages{kCannotFind});
    ASSERT_TRUE(bed.Plug());
    tool.prompter.Clear();
    Connect(tool);
    EXPECT_EQ(tool.prompter.Messages(), Messages{});
    EXPECT_EQ(Window().IsConnected(), 1);
}

TEST_F(ToolThroughHidapiTest, LackOfPermissionIsNamedBeforeTheDeviceIsNotFound)
{
    // Root opens any node, so the refusal an unprivileged user gets is given
    // by the access probe while the node is really unopenable.
    HidapiTransport denied([](const std::string&) { return EACCES; });
    ToolStack stack{denied};
    Start(stack);
    stack.library.SetOpenFailureHandler([&](const HidDeviceInfo& info) {
        const std::string text = denied.OpenFailureMessage(info.path);
        if (!text.empty()) {
            stack.prompter.MessageBox(text);
        }
    });
    bed.RemoveNode();
    Connect(stack);
    EXPECT_EQ(stack.prompter.Messages(),
              (Messages{AccessDeniedMessage(UmockdevChip::kDevicePath), kCannotFind}));
    EXPECT_EQ(stack.app.MainWindow()->IsConnected(), 0);

    // Any other reason keeps the tool's one message.
    tool.library.SetOpenFailureHandler([&](const HidDeviceInfo& info) {
        const std::string text = transport.OpenFailureMessage(info.path);
        if (!text.empty()) {
            tool.prompter.MessageBox(text);
        }
    });
    Connect(tool);
    EXPECT_EQ(tool.prompter.Messages(), Messages{kCannotFind});
}

}  // namespace
}  // namespace tovrik
