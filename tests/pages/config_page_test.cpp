// SPDX-License-Identifier: MIT
// Every configuration page's model through the page: created and ended with
// the window, its controls the window's after every operation.
#include "pages/config_page.h"

#include <gtest/gtest.h>

#include "app/demo_app.h"
#include "app/demo_dlg.h"
#include "config/eeprom_config.h"
#include "app/factory_image.h"
#include "device/sim/simulated_device.h"
#include "platform/recording_prompter.h"
#include "platform/user_input.h"
#include "resources/misc_ids.h"
#include "resources/resource_ids.h"
#include "resources/usb_volume_ids.h"

namespace tovrik {
namespace {

class ConfigPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        config.SetHidTransport(&device.Transport());
        ASSERT_EQ(app.InitInstance(false), 1);
        window = app.MainWindow();
        user_input::Type(*window, *window->GetDlgItem(IDC_VID), "1209");
        user_input::Type(*window, *window->GetDlgItem(IDC_PID), "0001");
        user_input::Click(*window, *window->GetDlgItem(IDC_CONNECT));
        ASSERT_EQ(window->IsConnected(), 1);
        for (CConfigPage* page : window->ConfigPages()) {
            ASSERT_EQ(window->Sheet().SetActivePage(page), 1);
        }
    }

    // The model's controls against the window's, in template order.
    static void ExpectMirrored(CConfigPage& page)
    {
        const auto& mine = page.Model().Controls();
        const auto& shown = page.Controls();
        ASSERT_EQ(mine.size(), shown.size()) << page.Title();
        for (std::size_t i = 0; i < mine.size(); ++i) {
            EXPECT_EQ(mine[i].Id(), shown[i]->Id()) << page.Title() << " " << i;
            EXPECT_EQ(mine[i].Text(), shown[i]->Text()) << page.Title() << " " << i;
            EXPECT_EQ(mine[i].IsChecked(), shown[i]->IsChecked()) << page.Title() << " " << i;
            EXPECT_EQ(mine[i].IsEnabled(), shown[i]->IsEnabled()) << page.Title() << " " << i;
            EXPECT_EQ(mine[i].Items(), shown[i]->Items()) << page.Title() << " " << i;
            EXPECT_EQ(mine[i].GetCurSel(), shown[i]->GetCurSel()) << page.Title() << " " << i;
        }
    }

    SimulatedDevice device{FactoryChipOptions()};
    RecordingPrompter prompter;
    UiContext ui{prompter, device.Queue()};
    EepromConfig config{device.Library(), prompter};
    CDemoApp app{ui, device.Library(), config};
    CDemoDlg* window = nullptr;
};

TEST_F(ConfigPageTest, EveryModelLivesWithItsWindowAndHoldsWhatTheWindowShows)
{
    ASSERT_EQ(window->ConfigPages().size(), 4u);
    for (CConfigPage* page : window->ConfigPages()) {
        EXPECT_TRUE(page->Model().IsCreated()) << page->Title();
        ExpectMirrored(*page);
    }

    // Input reaches the model at the page's next operation and its answer the window.
    CConfigPage& usb = *window->ConfigPages()[0];
    user_input::Type(usb, *usb.GetDlgItem(IDC_USB_SERIAL), "Typed");
    EXPECT_EQ(usb.Model().Item(IDC_USB_SERIAL).Text(), "Typed");
    CConfigPage& volume = *window->ConfigPages()[1];
    user_input::Click(volume, *volume.GetDlgItem(IDC_VOL_PLAYBACK_SWITCH));
    EXPECT_EQ(volume.GetDlgItem(IDC_VOL_PLAYBACK_MIN)->GetCount(), 0);
    ExpectMirrored(volume);

    user_input::Click(*window, *window->GetDlgItem(IDC_MODE_DEMO));
    for (CConfigPage* page : window->ConfigPages()) {
        EXPECT_FALSE(page->Model().IsCreated()) << page->Title();
        EXPECT_TRUE(page->Model().Controls().empty()) << page->Title();
    }
}

TEST_F(ConfigPageTest, LeavingAPageKeepsItsEditsAndARefusedTextKeepsThePageActive)
{
    CConfigPage& usb = *window->ConfigPages()[0];
    CConfigPage& volume = *window->ConfigPages()[1];
    CConfigPage& misc = *window->ConfigPages()[3];
    ASSERT_EQ(window->Sheet().SetActivePage(&usb), 1);
    user_input::Type(usb, *usb.GetDlgItem(IDC_USB_VID), "ABCD");
    ASSERT_EQ(window->Sheet().SetActivePage(&volume), 1);
    Control& mute = *volume.GetDlgItem(IDC_VOL_MIC_RECORD_MUTE);
    const bool muted = mute.IsChecked();
    user_input::Click(volume, mute);
    ASSERT_EQ(window->Sheet().SetActivePage(&misc), 1);
    Control& terminal = *misc.GetDlgItem(IDC_MISC_INPUT_TERMINAL);
    user_input::Select(misc, terminal, terminal.FindStringExact("0x43 Speakerphone"));
    ASSERT_EQ(window->Sheet().SetActivePage(&usb), 1);
    EXPECT_EQ(usb.GetDlgItemText(IDC_USB_VID), "ABCD");
    ASSERT_EQ(window->Sheet().SetActivePage(&volume), 1);
    EXPECT_EQ(mute.IsChecked(), !muted);
    ASSERT_EQ(window->Sheet().SetActivePage(&misc), 1);
    EXPECT_EQ(terminal.GetItemText(terminal.GetCurSel()), "0x43 Speakerphone");
    for (CConfigPage* page : window->ConfigPages()) {
        page->StoreToImage();
    }
    EXPECT_EQ(config.GetRegisterValue(1), 0xAB);
    EXPECT_EQ(config.GetRegisterValue(7), 0x43);
    EXPECT_TRUE(prompter.Prompts().empty());

    misc.GetDlgItem(IDC_MISC_STEREO_MIXER_TERMINAL)->SetText("123");
    EXPECT_EQ(window->Sheet().SetActivePage(&usb), 0);
    EXPECT_EQ(window->Sheet().GetActivePage(), &misc);
    EXPECT_EQ(prompter.Messages(),
              std::vector<std::string>{"Please enter no more than 2 characters."});
}

}  // namespace
}  // namespace tovrik
