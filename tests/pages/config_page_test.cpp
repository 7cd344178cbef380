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

}  // namespace
}  // namespace tovrik
