// SPDX-License-Identifier: MIT
// The volume configuration page inside the whole tool, on a simulated chip.
#include "pages/config/volume_cfg_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

using Texts = std::vector<std::string>;

struct GroupIds {
    int group;
    int rangeSwitch;
    int min;
    int max;
    int initial;
    int mute;
};

constexpr GroupIds kPlayback{IDC_VOL_PLAYBACK_GROUP,   IDC_VOL_PLAYBACK_SWITCH,
                             IDC_VOL_PLAYBACK_MIN,     IDC_VOL_PLAYBACK_MAX,
                             IDC_VOL_PLAYBACK_INITIAL, IDC_VOL_PLAYBACK_MUTE};
constexpr GroupIds kMicRecord{IDC_VOL_MIC_RECORD_GROUP,   IDC_VOL_MIC_RECORD_SWITCH,
                              IDC_VOL_MIC_RECORD_MIN,     IDC_VOL_MIC_RECORD_MAX,
                              IDC_VOL_MIC_RECORD_INITIAL, IDC_VOL_MIC_RECORD_MUTE};
constexpr GroupIds kMicAa{IDC_VOL_MIC_AA_GROUP, IDC_VOL_MIC_AA_SWITCH,  IDC_VOL_MIC_AA_MIN,
                          IDC_VOL_MIC_AA_MAX,   IDC_VOL_MIC_AA_INITIAL, IDC_VOL_MIC_AA_MUTE};
constexpr GroupIds kLineRecord{IDC_VOL_LINE_RECORD_GROUP,   IDC_VOL_LINE_RECORD_SWITCH,
                               IDC_VOL_LINE_RECORD_MIN,     IDC_VOL_LINE_RECORD_MAX,
                               IDC_VOL_LINE_RECORD_INITIAL, IDC_VOL_LINE_RECORD_MUTE};
constexpr GroupIds kLineAa{IDC_VOL_LINE_AA_GROUP, IDC_VOL_LINE_AA_SWITCH,  IDC_VOL_LINE_AA_MIN,
                           IDC_VOL_LINE_AA_MAX,   IDC_VOL_LINE_AA_INITIAL, IDC_VOL_LINE_AA_MUTE};
constexpr GroupIds kAllGroups[] = {kPlayback, kMicRecord, kMicAa, kLineRecord, kLineAa};

// Integer levels from `first` to `last` as the lists show them.
Texts IntegerTexts(int first, int last)
{
    Texts texts;
    for (int level = first; level <= last; ++level) {
        texts.push_back(std::to_string(level));
    }
    return texts;
}

class VolumeCfgPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        config.SetHidTransport(&device.Transport());
        ASSERT_EQ(app.InitInstance(false), 1);
        window = app.MainWindow();
        page = dynamic_cast<CVolumeCfgPage*>(window->Sheet().FindPage("Volume Config"));
        ASSERT_NE(page, nullptr);
        user_input::Type(*window, *window->GetDlgItem(IDC_VID), "1209");
        user_input::Type(*window, *window->GetDlgItem(IDC_PID), "0001");
        user_input::Click(*window, *window->GetDlgItem(IDC_CONNECT));
        ASSERT_EQ(window->IsConnected(), 1);
    }

    void Show() { ASSERT_EQ(window->Sheet().SetActivePage(page), 1); }

    Control& Item(int id) { return *page->GetDlgItem(id); }
    Texts Items(int id) { return Item(id).Items(); }
    std::string Selected(int id) { return Item(id).GetItemText(Item(id).GetCurSel()); }
    bool Checked(int id) { return Item(id).IsChecked(); }
    void Click(int id) { user_input::Click(*page, Item(id)); }

    void Select(int id, const std::string& text)
    {
        const int index = Item(id).FindStringExact(text);
        ASSERT_NE(index, kListError) << text << " in " << id;
        user_input::Select(*page, Item(id), index);
    }

    // Switches every range off and restores the default mutes.
    void ResetPage()
    {
        prompter.QueueAnswer(true);
        Click(IDC_PAGE_RESET);
    }

    void ExpectOff(const GroupIds& g)
    {
        EXPECT_FALSE(Checked(g.rangeSwitch)) << g.group;
        for (int id : {g.min, g.max, g.initial}) {
            EXPECT_EQ(Item(id).GetCount(), 0) << id;
            EXPECT_FALSE(Item(id).IsEnabled()) << id;
        }
    }

    void ExpectSelection(const GroupIds& g, const std::string& min, const std::string& max,
                         const std::string& initial)
    {
        EXPECT_TRUE(Checked(g.rangeSwitch)) << g.group;
        EXPECT_EQ(Selected(g.min), min) << g.group;
        EXPECT_EQ(Selected(g.max), max) << g.group;
        EXPECT_EQ(Selected(g.initial), initial) << g.group;
    }

    int Present(std::uint8_t reg) { return config.IsRegisterPresent(reg); }
    int Value(std::uint8_t reg) { return config.GetRegisterValue(reg); }

    SimulatedDevice device{FactoryChipOptions()};
    RecordingPrompter prompter;
    UiContext ui{prompter, device.Queue()};
    EepromConfig config{device.Library(), prompter};
    CDemoApp app{ui, device.Library(), config};
    CDemoDlg* window = nullptr;
    CVolumeCfgPage* page = nullptr;
};

TEST_F(VolumeCfgPageTest, RangeSwitchFillsTheListsWithTheirDefaults)
{
    Show();
    ResetPage();
    for (const GroupIds& g : kAllGroups) {
        ExpectOff(g);
        Click(g.rangeSwitch);
        for (int id : {g.min, g.max, g.initial}) {
            EXPECT_TRUE(Item(id).IsEnabled()) << id;
        }
    }
    ExpectSelection(kPlayback, "-40", "0", "-9");
    EXPECT_EQ(Items(kPlayback.min), IntegerTexts(-40, 0));
    EXPECT_EQ(Items(kPlayback.max), IntegerTexts(-39, 0));
    EXPECT_EQ(Items(kPlayback.initial), IntegerTexts(-39, -1));

    ExpectSelection(kMicAa, "-10", "22", "0");
    EXPECT_EQ(Items(kMicAa.max), IntegerTexts(-9, 32));
    EXPECT_EQ(Items(kMicAa.initial), IntegerTexts(-9, 21));
    ExpectSelection(kLineAa, "-30", "12", "0");
    EXPECT_EQ(Items(kLineAa.initial), IntegerTexts(-29, 11));

    ExpectSelection(kLineRecord, "-12.0", "12.0", "-3.0");
    EXPECT_EQ(Items(kLineRecord.min).size(), 43u);
    EXPECT_EQ(Items(kLineRecord.max).size(), 42u);
    // After the minimum up to 33.0 dB, whatever the maximum.
    EXPECT_EQ(Items(kLineRecord.initial).size(), 30u);
    EXPECT_EQ(Items(kLineRecord.initial).front(), "-10.5");
    EXPECT_EQ(Items(kLineRecord.initial).back(), "33.0");

    ExpectSelection(kMicRecord, "0.0", "45.0", "30.0");
    EXPECT_EQ(Items(kMicRecord.max).front(), "1.5");
    // Levels below 4.5 dB cannot be the initial level: register 11 has no room for them.
    EXPECT_EQ(Items(kMicRecord.initial).size(), 32u);
    EXPECT_EQ(Items(kMicRecord.initial).front(), "4.5");
    EXPECT_EQ(Items(kMicRecord.initial).back(), "45.0");

    Click(kMicAa.rangeSwitch);
    ExpectOff(kMicAa);
}

TEST_F(VolumeCfgPageTest, MinimumAndMaximumChangesRefillAndReturnToTheDefaults)
{
    Show();
    Select(kPlayback.initial, "-30");
    Select(kPlayback.min, "-20");
    EXPECT_EQ(Items(kPlayback.max), IntegerTexts(-19, 0));
    EXPECT_EQ(Items(kPlayback.initial), IntegerTexts(-19, -1));
    ExpectSelection(kPlayback, "-20", "0", "-9");

    Select(kPlayback.max, "-12");
    EXPECT_EQ(Items(kPlayback.initial), IntegerTexts(-19, -13));
    EXPECT_EQ(Selected(kPlayback.initial), "-19");  // no default in the list: the first

    Select(kPlayback.min, "-5");
    EXPECT_EQ(Selected(kPlayback.max), "0");  // the default maximum is back

    // Line-In Recording initial levels lie strictly between minimum and maximum here.
    Click(kLineRecord.rangeSwitch);
    Select(kLineRecord.min, "30.0");
    EXPECT_EQ(Selected(kLineRecord.max), "45.0");  // the default 12.0 is gone: the last
    EXPECT_EQ(Items(kLineRecord.initial), (Texts{"31.5", "33.0"}));
    Select(kLineRecord.max, "34.0");
    EXPECT_EQ(Items(kLineRecord.initial), (Texts{"31.5", "33.0"}));
    Select(kLineRecord.max, "33.0");
    EXPECT_EQ(Items(kLineRecord.initial), (Texts{"31.5"}));

    // Mic-In Recording offers every level as maximum and keeps its initial list.
    Select(kMicRecord.initial, "40.0");
    const Texts initials = Items(kMicRecord.initial);
    Select(kMicRecord.min, "12.0");
    EXPECT_EQ(Items(kMicRecord.max).size(), 43u);
    EXPECT_EQ(Items(kMicRecord.max).front(), "-12.0");
    EXPECT_EQ(Items(kMicRecord.initial), initials);
    ExpectSelection(kMicRecord, "12.0", "45.0", "30.0");
    Select(kMicRecord.max, "-12.0");
    ExpectSelection(kMicRecord, "12.0", "-12.0", "30.0");
    EXPECT_TRUE(prompter.Messages().empty());
}

TEST_F(VolumeCfgPageTest, PlaybackAloneStoresItsRangeAndInitialLevel)
{
    Show();
    ResetPage();
    Click(kPlayback.rangeSwitch);
    page->StoreToImage();
    EXPECT_EQ(Value(89), 0x00);
    EXPECT_EQ(Value(90), 0xD8);
    EXPECT_EQ(Value(87), 0x00);
    EXPECT_EQ(Value(88), 0x00);
    EXPECT_EQ(Present(87) + Present(88) + Present(89) + Present(90), 4);
    EXPECT_EQ(Value(10), 16);
}

TEST_F(VolumeCfgPageTest, EverythingOffWithDefaultMutesClearsAllVolumeRegisters)
{
    Show();
    ResetPage();
    EXPECT_EQ(prompter.Prompts().back().text,
              "All changes for Volume Config before save will be discarded !!!");
    EXPECT_EQ(Present(10), 1);  // nothing changes before the store
    page->StoreToImage();
    for (int reg : {10, 11, 12, 69, 70, 87, 88, 89, 90}) {
        EXPECT_EQ(Present(static_cast<std::uint8_t>(reg)), 0) << reg;
    }
    for (int reg = 15; reg <= 30; ++reg) {
        EXPECT_EQ(Present(static_cast<std::uint8_t>(reg)), 0) << reg;
    }
}

TEST_F(VolumeCfgPageTest, ResetCancelledKeepsThePage)
{
    Show();
    prompter.QueueAnswer(false);
    Click(IDC_PAGE_RESET);
    ExpectSelection(kPlayback, "-40", "0", "-9");
    EXPECT_TRUE(Checked(kMicAa.rangeSwitch));
}

TEST_F(VolumeCfgPageTest, MuteFlagsDecideWhetherTheInitialRegistersStay)
{
    Show();
    ResetPage();
    Click(IDC_VOL_LINE_AA_MUTE);  // off, Mic-In AA mute stays on
    page->StoreToImage();
    EXPECT_EQ(Value(12), 0xA0);
    EXPECT_EQ(Present(10), 0);
    EXPECT_EQ(Present(11), 0);

    Click(IDC_VOL_PLAYBACK_MUTE);
    Click(IDC_VOL_LINE_RECORD_MUTE);
    page->StoreToImage();
    EXPECT_EQ(Value(10), 0x40 | 13);
    EXPECT_EQ(Value(11), 0x40 | 14);

    // A Mic-In Recording initial level at the bottom of its list keeps the mute bits apart.
    Click(kMicRecord.rangeSwitch);
    Click(IDC_VOL_MIC_RECORD_MUTE);
    Click(IDC_VOL_LINE_RECORD_MUTE);
    Select(kMicRecord.initial, "4.5");
    page->StoreToImage();
    EXPECT_EQ(Value(11), 0x80 | 31);
}

TEST_F(VolumeCfgPageTest, SpdifMuteTravelsFromLoadToStore)
{
    config.SetRegisterValue(11, 0x2E);
    config.ClearRegister(21);
    config.ClearRegister(22);
    Show();
    ExpectOff(kMicRecord);
    EXPECT_FALSE(Checked(IDC_VOL_MIC_RECORD_MUTE));
    EXPECT_FALSE(Checked(IDC_VOL_LINE_RECORD_MUTE));
    EXPECT_TRUE(prompter.Prompts().empty());
    page->StoreToImage();
    EXPECT_EQ(Value(11), 0x20 | 14);
    EXPECT_EQ(Present(19), 0);  // a maximum without its minimum is not kept

    // The mixer-in mute too, through its hidden box.
    config.SetRegisterValue(10, 0x80 | 16);
    page->LoadFromImage();
    EXPECT_TRUE(Checked(IDC_VOL_MIXER_MUTE));
    page->StoreToImage();
    EXPECT_EQ(Value(10), 0x80 | 16);
}

TEST_F(VolumeCfgPageTest, ChosenLevelsOfEveryGroupReloadAsChosen)
{
    Show();
    Click(kLineRecord.rangeSwitch);
    Click(kLineAa.rangeSwitch);
    Select(kPlayback.min, "-33");
    Select(kPlayback.max, "-2");
    Select(kPlayback.initial, "-17");
    Select(kMicRecord.min, "-4.5");
    Select(kMicRecord.max, "40.0");
    Select(kMicRecord.initial, "36.0");
    Select(kMicAa.min, "-7");
    Select(kMicAa.max, "30");
    Select(kMicAa.initial, "29");
    Select(kLineRecord.min, "-6.0");
    Select(kLineRecord.max, "34.0");
    Select(kLineRecord.initial, "31.5");
    Select(kLineAa.min, "-30");
    Select(kLineAa.max, "32");
    Select(kLineAa.initial, "-29");
    Click(IDC_VOL_PLAYBACK_MUTE);
    page->StoreToImage();
    EXPECT_EQ(Value(22), 0xFD);     // -4.5 dB is code -3
    EXPECT_EQ(Value(20), 29);       // 40.0 dB is code 29
    EXPECT_EQ(Value(16), 23);       // 34.0 dB is code 23
    EXPECT_EQ(Value(69), 34 - 21);  // 31.5 dB is code 21
    EXPECT_EQ(Value(70), 61);

    ResetPage();
    page->LoadFromImage();
    ExpectSelection(kPlayback, "-33", "-2", "-17");
    ExpectSelection(kMicRecord, "-4.5", "40.0", "36.0");
    ExpectSelection(kMicAa, "-7", "30", "29");
    ExpectSelection(kLineRecord, "-6.0", "34.0", "31.5");
    ExpectSelection(kLineAa, "-30", "32", "-29");
    EXPECT_TRUE(Checked(IDC_VOL_PLAYBACK_MUTE));
    EXPECT_TRUE(prompter.Messages().empty());
}

TEST_F(VolumeCfgPageTest, DeviceProfileGatesTheMicAndLineGroups)
{
    Show();
    const struct {
        std::uint8_t code;
        bool mic;
        bool line;
    } cases[] = {{0, false, false}, {6, true, false}, {23, true, true}, {26, true, false}};
    for (const auto& c : cases) {
        app.GetDeviceProfile()->hasMicIn = 0;
        app.GetDeviceProfile()->hasLineIn = 0;
        ClassifyDeviceCode(c.code, *app.GetDeviceProfile());
        page->LoadFromImage();
        for (int id : {IDC_VOL_MIC_RECORD_SWITCH, IDC_VOL_MIC_AA_SWITCH, IDC_VOL_MIC_AA_MUTE}) {
            EXPECT_EQ(Item(id).IsEnabled(), c.mic) << int{c.code} << " " << id;
        }
        for (int id : {IDC_VOL_LINE_RECORD_SWITCH, IDC_VOL_LINE_AA_SWITCH, IDC_VOL_LINE_AA_MUTE}) {
            EXPECT_EQ(Item(id).IsEnabled(), c.line) << int{c.code} << " " << id;
        }
        EXPECT_TRUE(Item(IDC_VOL_PLAYBACK_SWITCH).IsEnabled());
        EXPECT_FALSE(Item(IDC_VOL_MIXER_MUTE).IsEnabled());
        // Lists follow the range switches, not the groups.
        EXPECT_TRUE(Item(kMicAa.min).IsEnabled());
        EXPECT_FALSE(Item(kLineAa.min).IsEnabled());
    }
}

}  // namespace
}  // namespace tovrik
