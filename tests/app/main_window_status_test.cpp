// SPDX-License-Identifier: MIT
// The main window's device picker and status line, over two simulated chips
// that answer to the same ids.
#include <gtest/gtest.h>

#include "app/demo_app.h"
#include "app/demo_dlg.h"
#include "config/eeprom_config.h"
#include "app/factory_image.h"
#include "device/sim/simulated_device.h"
#include "platform/recording_prompter.h"
#include "platform/user_input.h"
#include "resources/resource_ids.h"

namespace tovrik {
namespace {

SimulatedChipOptions SecondChipOptions()
{
    SimulatedChipOptions options = FactoryChipOptions();
    options.deviceCode = 6;
    options.eepromSize = 512;
    return options;
}

class DevicePickerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        device.Transport().AddChip(second);
        config.SetHidTransport(&device.Transport());
        app.SetDeviceDirectory(&device.Library());
        ASSERT_EQ(app.InitInstance(false), 1);
        window = app.MainWindow();
        device.Transport().SetDeviceChangeTarget(&device.Queue(), window->Handle());
    }

    Control& Item(int id) { return *window->GetDlgItem(id); }
    std::string Text(int id) { return window->GetDlgItemText(id); }
    void Click(int id) { user_input::Click(*window, Item(id)); }
    void Type(int id, const std::string& text) { user_input::Type(*window, Item(id), text); }

    void Settle()
    {
        while (auto m = device.Queue().Take(std::chrono::milliseconds(200))) {
            if (Dialog* target = ui.Find(m->window)) {
                target->OnMessage(m->message, m->wParam, m->lParam);
            }
        }
    }

    // The second chip outlives the transport it is added to.
    SimulatedChip second{SecondChipOptions()};
    SimulatedDevice device{FactoryChipOptions()};
    RecordingPrompter prompter;
    UiContext ui{prompter, device.Queue()};
    EepromConfig config{device.Library(), prompter};
    CDemoApp app{ui, device.Library(), config};
    CDemoDlg* window = nullptr;
};

TEST_F(DevicePickerTest, IdenticalChipsAreToldApartAndThePickedOneIsOpened)
{
    EXPECT_EQ(Item(IDC_DEVICE_LIST).Items(),
              (std::vector<std::string>{"1209:0001 Tovrik USB Headset (sim:0)",
                                        "1209:0001 Tovrik USB Headset (sim:1)"}));
    EXPECT_EQ(Text(IDC_DEVICE_LIST), "2 attached; pick one to fill VID and PID");
    user_input::Select(*window, Item(IDC_DEVICE_LIST), 1);
    EXPECT_EQ(Text(IDC_VID), "1209");
    EXPECT_EQ(Text(IDC_PID), "0001");

    Click(IDC_CONNECT);
    ASSERT_EQ(window->IsConnected(), 1);
    EXPECT_GT(second.GetCounters().eepromReadCommands, 0);
    EXPECT_EQ(device.Chip().GetCounters().eepromReadCommands, 0);
    EXPECT_EQ(Text(IDC_STATUS_CHIP),
              "Connected: 1209:0001, device code 6 (Microphone, no EQ), "
              "EEPROM 512 bytes, simulated chip");
    EXPECT_EQ(Text(IDC_STATUS_OPERATION).rfind("Connect: done in ", 0), 0U);
}

TEST_F(DevicePickerTest, TheListFollowsChipsThatComeAndGoAndDropsAVanishedPick)
{
    user_input::Select(*window, Item(IDC_DEVICE_LIST), 1);
    second.Unplug();
    Settle();
    EXPECT_EQ(Item(IDC_DEVICE_LIST).Items(),
              (std::vector<std::string>{"1209:0001 Tovrik USB Headset"}));
    EXPECT_EQ(Item(IDC_DEVICE_LIST).GetCurSel(), -1);

    // With the pick gone, Connect takes the first chip with the ids, as it always did.
    Click(IDC_CONNECT);
    EXPECT_EQ(window->IsConnected(), 1);
    EXPECT_GT(device.Chip().GetCounters().eepromReadCommands, 0);
}

TEST_F(DevicePickerTest, ConnectThatFindsNothingSaysWhatIsThereInstead)
{
    Type(IDC_VID, "1234");
    Type(IDC_PID, "5678");
    Click(IDC_CONNECT);
    EXPECT_EQ(prompter.Messages(), (std::vector<std::string>{"Cannot find the HID device !!!"}));
    EXPECT_EQ(Text(IDC_STATUS_CHIP),
              "No chip answers to 1234:5678; attached: 1209:0001 Tovrik USB Headset, "
              "1209:0001 Tovrik USB Headset");
    EXPECT_EQ(Text(IDC_STATUS_OPERATION).rfind("Connect: failed after ", 0), 0U);

    device.Chip().Unplug();
    second.Unplug();
    Settle();
    Click(IDC_CONNECT);
    EXPECT_EQ(Text(IDC_STATUS_CHIP), "No chip answers to 1234:5678; no HID device is attached");
}

TEST_F(DevicePickerTest, AnUnknownDeviceCodeIsNamedInTheStatusLine)
{
    device.Chip().SetDeviceCode(40);
    second.Unplug();
    Settle();
    Type(IDC_VID, "1209");
    Type(IDC_PID, "1");
    Click(IDC_CONNECT);
    EXPECT_EQ(window->IsConnected(), 0);
    EXPECT_EQ(Text(IDC_STATUS_CHIP),
              "The chip 1209:0001 reports device code 40, which is not a known kind of device");
}

TEST_F(DevicePickerTest, TheNoteAfterEraseLastsUntilThePagesAreLoadedAgain)
{
    user_input::Select(*window, Item(IDC_DEVICE_LIST), 0);
    Click(IDC_CONNECT);
    EXPECT_EQ(Text(IDC_STATUS_NOTE), "");
    Click(IDC_ERASE);
    EXPECT_EQ(Text(IDC_STATUS_NOTE), CDemoDlg::kEepromChangedNote);
    EXPECT_EQ(Text(IDC_STATUS_OPERATION).rfind("Erase: done in ", 0), 0U);

    prompter.QueueAnswer(false);
    Click(IDC_REFRESH);
    EXPECT_EQ(Text(IDC_STATUS_OPERATION), "Refresh: cancelled");
    EXPECT_EQ(Text(IDC_STATUS_NOTE), CDemoDlg::kEepromChangedNote);

    prompter.QueueAnswer(true);
    Click(IDC_REFRESH);
    EXPECT_EQ(Text(IDC_STATUS_NOTE), "");

    prompter.QueueAnswer(true);
    Click(IDC_CONNECT);  // Stop
    EXPECT_EQ(Text(IDC_STATUS_CHIP), "No chip connected");
}

}  // namespace
}  // namespace tovrik
