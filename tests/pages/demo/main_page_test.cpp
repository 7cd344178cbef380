// SPDX-License-Identifier: MIT
// The GPIO and event page, and how the device's notifications reach it.
#include "demo_page_fixture.h"

namespace tovrik {
namespace {

class GpioPageTest : public DemoPageTest {
protected:
    CMainPage& page() { return GpioPage(); }
    Lines Events() { return Items(page(), IDC_EVENT_LIST); }

    void Send(UINT message, WPARAM wParam, LPARAM lParam)
    {
        page().OnMessage(message, wParam, lParam);
        ui.DispatchPending();
    }
};

TEST_F(GpioPageTest, ListsEveryEventNewestFirstInItsOwnFormat)
{
    EnterDemoMode();
    Send(DeviceAddedMessage, 0, 0);
    Send(DeviceRemovedMessage, 0, 0);
    Send(KeyShortDownMessage, 0x1F, 0);
    Send(KeyLongDownMessage, 0xABC, 0x12);
    Send(GPIGenericNotifyMessage, 0x04030201, 0x7F);
    Send(MixerKeyDownMessage, 0x1F, 0);
    Send(MixerKeyUpMessage, 0, 0xFFFFFFFF);
    Send(EventsDroppedMessage, 20, 0);
    EXPECT_EQ(Events(), (Lines{
                            "20 device events dropped: the window fell behind",
                            "MixerKeyUpMsg 0 ffffffff\n",
                            "MixerKeyDownMsg 1f 0\n",
                            "GPIGeneric Event:  01 02 03 04",
                            "KeyLongDownMsg abc 12\n",
                            "KeyShortDownMsg 1f 0\n",
                            "Device Remove",
                            "Device Added",
                        }));
    Click(page(), IDC_EVENT_CLEAR);
    EXPECT_EQ(Events(), Lines{});
}

TEST_F(GpioPageTest, GenericAndI2cEventsAreListedOnlyWhenWatched)
{
    EnterDemoMode();
    for (int id : {IDC_WATCH_FRAME, IDC_WATCH_GENERIC, IDC_WATCH_I2C, IDC_KEYPAD_OUT, IDC_KEYPAD_IN,
                   IDC_KEYPAD_SCAN}) {
        EXPECT_FALSE(page().GetDlgItem(id)->IsVisible()) << id;
        EXPECT_FALSE(page().GetDlgItem(id)->IsEnabled()) << id;
    }
    Send(GenericNotifyMessage, 0x04030201, 0x08070605);
    Send(I2CGenericNotifyMessage, 0x04030201, 0x08070605);
    EXPECT_EQ(Events(), Lines{});

    page().CheckDlgButton(IDC_WATCH_GENERIC, true);
    Click(page(), IDC_WATCH_GENERIC);
    page().CheckDlgButton(IDC_WATCH_I2C, true);
    Click(page(), IDC_WATCH_I2C);
    Send(GenericNotifyMessage, 0x04030201, 0x08070605);
    Send(I2CGenericNotifyMessage, 0xDDCCBBAA, 0);
    EXPECT_EQ(Events(), (Lines{"I2CGenericNotifyMsg:  aa bb cc dd      00 00 00 00",
                               "GENERIC Event:  01 02 03 04      05 06 07 08"}));
}

TEST_F(GpioPageTest, DeviceChangesGoToTheLibrary)
{
    EnterDemoMode();
    calls.TakeCalls();
    Send(WM_DEVICECHANGE, 7, 0);
    EXPECT_EQ(calls.TakeCalls(), Lines{"rmHandleDeviceChangeNotification(7, 0)"});
    EXPECT_EQ(Events(), Lines{});
}

TEST_F(GpioPageTest, TheListKeepsTheNewestEventsUpToItsLimit)
{
    EnterDemoMode();
    for (int i = 0; i <= CMainPage::kMaxEvents; ++i) {
        page().OnMessage(KeyShortDownMessage, static_cast<WPARAM>(i), 0);
    }
    const Lines events = Events();
    ASSERT_EQ(events.size(), static_cast<std::size_t>(CMainPage::kMaxEvents));
    EXPECT_EQ(events.front(), "KeyShortDownMsg 3e8 0\n");  // 1000, the newest
    EXPECT_EQ(events.back(), "KeyShortDownMsg 1 0\n");     // event 0 was dropped
}

TEST_F(GpioPageTest, TheModeSwitchCanBeShownForBringUpWork)
{
    for (int id : {IDC_MODE_FRAME, IDC_MODE_CONFIG, IDC_MODE_DEMO}) {
        EXPECT_FALSE(window->GetDlgItem(id)->IsVisible()) << id;
    }
    window->ShowModeSwitch();
    for (int id : {IDC_MODE_FRAME, IDC_MODE_CONFIG, IDC_MODE_DEMO}) {
        EXPECT_TRUE(window->GetDlgItem(id)->IsVisible()) << id;
        EXPECT_TRUE(window->GetDlgItem(id)->IsEnabled()) << id;
    }
    EXPECT_TRUE(window->IsDlgButtonChecked(IDC_MODE_CONFIG));
    EXPECT_TRUE(window->IsConfigurationMode());
}

}  // namespace
}  // namespace tovrik
