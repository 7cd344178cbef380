// SPDX-License-Identifier: MIT
// The volume page's behaviour without a window: the cascade of a group's
// lists, the range words and mute bits it stores, the groups it gives up,
// the profile's gating and the device whose line-in registers stay.
#include "pages/config/volume_cfg_page_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/eeprom_config.h"
#include "formats/device_profile.h"
#include "platform/recording_prompter.h"
#include "resources/usb_volume_ids.h"
#include "support/memory_eeprom_library.h"

namespace tovrik {
namespace {

using Texts = std::vector<std::string>;

Texts IntegerTexts(int first, int last)
{
    Texts texts;
    for (int level = first; level <= last; ++level) {
        texts.push_back(std::to_string(level));
    }
    return texts;
}

class VolumeCfgPageModelTest : public ::testing::Test {
protected:
    // A device with both inputs.
    void Open(std::uint8_t code = 23)
    {
        config.SetDeviceCode(code);
        ClassifyDeviceCode(23, profile);
        model.Create(&profile);
    }
    Control& C(int id) { return model.Item(id); }
    // As the desktop controls do before telling the page.
    void Click(int id)
    {
        C(id).SetCheck(!C(id).IsChecked());
        model.OnCommand(id, Notify::Clicked);
    }
    void Select(int id, const std::string& text)
    {
        const int index = C(id).FindStringExact(text);
        ASSERT_NE(index, kListError) << text;
        C(id).SetCurSel(index);
        model.OnCommand(id, Notify::SelChange);
    }
    std::string Selected(int id) { return C(id).GetItemText(C(id).GetCurSel()); }
    // -1 for an absent register.
    int Reg(int reg)
    {
        const auto r = static_cast<std::uint8_t>(reg);
        return config.IsRegisterPresent(r) != 0 ? config.GetRegisterValue(r) : -1;
    }

    MemoryEepromLibrary library;
    RecordingPrompter prompter;
    EepromConfig config{library, prompter};
    DeviceProfile profile;
    VolumeCfgPageModel model{config, prompter};
};

TEST_F(VolumeCfgPageModelTest, AMinimumRefillsTheMaximumAndTheInitialWhichFollowsTheMaximum)
{
    Open();
    Click(IDC_VOL_PLAYBACK_SWITCH);
    EXPECT_EQ(Selected(IDC_VOL_PLAYBACK_INITIAL), "-9");
    Select(IDC_VOL_PLAYBACK_MIN, "-20");
    EXPECT_EQ(C(IDC_VOL_PLAYBACK_MAX).Items(), IntegerTexts(-19, 0));
    EXPECT_EQ(Selected(IDC_VOL_PLAYBACK_MAX), "0");
    EXPECT_EQ(C(IDC_VOL_PLAYBACK_INITIAL).Items(), IntegerTexts(-19, -1));
    EXPECT_EQ(Selected(IDC_VOL_PLAYBACK_INITIAL), "-9");

    Select(IDC_VOL_PLAYBACK_MAX, "-12");
    EXPECT_EQ(C(IDC_VOL_PLAYBACK_INITIAL).Items(), IntegerTexts(-19, -13));
    EXPECT_EQ(Selected(IDC_VOL_PLAYBACK_INITIAL), "-19");  // no default in the list: the first

    Select(IDC_VOL_PLAYBACK_MIN, "-5");
    EXPECT_EQ(Selected(IDC_VOL_PLAYBACK_MAX), "0");  // the default maximum is back
    EXPECT_EQ(C(IDC_VOL_PLAYBACK_INITIAL).Items(), IntegerTexts(-4, -1));

    // Without its default in the list the maximum is the last level; Line-In
    // Recording initial levels stop at 33.0 dB.
    Click(IDC_VOL_LINE_RECORD_SWITCH);
    Select(IDC_VOL_LINE_RECORD_MIN, "30.0");
    EXPECT_EQ(Selected(IDC_VOL_LINE_RECORD_MAX), "45.0");
    EXPECT_EQ(C(IDC_VOL_LINE_RECORD_INITIAL).Items(), (Texts{"31.5", "33.0"}));
    EXPECT_TRUE(prompter.Prompts().empty());
}

TEST_F(VolumeCfgPageModelTest, AMinimumWithoutSelectionLeavesTheListsAfterItAsTheyAre)
{
    Open();
    Click(IDC_VOL_MIC_AA_SWITCH);
    const Texts initials = C(IDC_VOL_MIC_AA_INITIAL).Items();
    C(IDC_VOL_MIC_AA_MIN).SetCurSel(-1);
    model.OnCommand(IDC_VOL_MIC_AA_MIN, Notify::SelChange);
    Select(IDC_VOL_MIC_AA_MAX, "5");
    EXPECT_TRUE(prompter.Prompts().empty());
    EXPECT_TRUE(C(IDC_VOL_MIC_AA_SWITCH).IsChecked());
    EXPECT_EQ(C(IDC_VOL_MIC_AA_INITIAL).Items(), initials);
}

TEST_F(VolumeCfgPageModelTest, TheSelectedRangeIsStoredAsRangeWordsAndLoadsBack)
{
    Open();
    Click(IDC_VOL_PLAYBACK_SWITCH);
    Select(IDC_VOL_PLAYBACK_MIN, "-33");
    Select(IDC_VOL_PLAYBACK_MAX, "-12");
    Click(IDC_VOL_MIC_RECORD_SWITCH);
    Select(IDC_VOL_MIC_RECORD_MIN, "-4.5");
    EXPECT_TRUE(model.StoreToImage());
    EXPECT_EQ(Reg(87), 0x00);
    EXPECT_EQ(Reg(88), 0xF4);  // -12
    EXPECT_EQ(Reg(89), 0x00);
    EXPECT_EQ(Reg(90), 0xDF);    // -33
    EXPECT_EQ(Reg(10), 7 + 32);  // the first initial level, -32
    EXPECT_EQ(Reg(22), 0xFD);    // -4.5 dB is gain code -3

    VolumeCfgPageModel reloaded{config, prompter};
    reloaded.Create(&profile);
    const auto selected = [&](int id) {
        const Control& list = reloaded.Item(id);
        return list.GetItemText(list.GetCurSel());
    };
    EXPECT_TRUE(reloaded.Item(IDC_VOL_PLAYBACK_SWITCH).IsChecked());
    EXPECT_EQ(selected(IDC_VOL_PLAYBACK_MIN), "-33");
    EXPECT_EQ(selected(IDC_VOL_PLAYBACK_MAX), "-12");
    EXPECT_EQ(selected(IDC_VOL_PLAYBACK_INITIAL), "-32");
    EXPECT_EQ(selected(IDC_VOL_MIC_RECORD_MIN), "-4.5");

    // An image without the range switches its group off again.
    for (std::uint8_t reg : {87, 88, 89, 90}) {
        config.ClearRegister(reg);
    }
    reloaded.LoadFromImage(&profile);
    EXPECT_FALSE(reloaded.Item(IDC_VOL_PLAYBACK_SWITCH).IsChecked());
    EXPECT_EQ(reloaded.Item(IDC_VOL_PLAYBACK_MIN).GetCount(), 0);
}

TEST_F(VolumeCfgPageModelTest, AGroupWithNothingLeftToChooseIsSwitchedOffWithItsMessage)
{
    Open();
    Click(IDC_VOL_PLAYBACK_SWITCH);
    Select(IDC_VOL_PLAYBACK_MIN, "-40");
    Select(IDC_VOL_PLAYBACK_MAX, "-39");
    EXPECT_EQ(prompter.Messages(), Texts{"No playback initial volume available"});
    EXPECT_FALSE(C(IDC_VOL_PLAYBACK_SWITCH).IsChecked());
    for (int id : {IDC_VOL_PLAYBACK_MIN, IDC_VOL_PLAYBACK_MAX, IDC_VOL_PLAYBACK_INITIAL}) {
        EXPECT_EQ(C(id).GetCount(), 0) << id;
        EXPECT_FALSE(C(id).IsEnabled()) << id;
    }

    Click(IDC_VOL_LINE_AA_SWITCH);
    Select(IDC_VOL_LINE_AA_MIN, "32");
    EXPECT_EQ(prompter.Messages().back(), "Line-in AA minimum volume should be less than 31");
    EXPECT_FALSE(C(IDC_VOL_LINE_AA_SWITCH).IsChecked());
    EXPECT_TRUE(model.StoreToImage());
    for (int reg : {27, 28, 29, 30, 70, 87, 88, 89, 90}) {
        EXPECT_EQ(Reg(reg), -1) << reg;
    }
}

TEST_F(VolumeCfgPageModelTest, MuteBoxesSetTheirBitsAndTheUnshownSpdifMuteStays)
{
    config.SetRegisterValue(11, 0x20 | 14);  // SPDIF-In muted, no level
    Open();
    EXPECT_TRUE(C(IDC_VOL_MIC_AA_MUTE).IsChecked());
    EXPECT_TRUE(C(IDC_VOL_LINE_AA_MUTE).IsChecked());
    EXPECT_TRUE(model.StoreToImage());
    EXPECT_EQ(Reg(10), -1);
    EXPECT_EQ(Reg(11), 0x20 | 14);
    EXPECT_EQ(Reg(12), -1);  // both AA mutes on and no level: the chip's default

    Click(IDC_VOL_MIC_AA_MUTE);
    EXPECT_TRUE(model.StoreToImage());
    EXPECT_EQ(Reg(12), 0x40 | 32);

    Click(IDC_VOL_MIC_AA_MUTE);
    Click(IDC_VOL_LINE_AA_MUTE);
    Click(IDC_VOL_PLAYBACK_MUTE);
    Click(IDC_VOL_MIXER_MUTE);
    Click(IDC_VOL_MIC_RECORD_MUTE);
    Click(IDC_VOL_LINE_RECORD_MUTE);
    EXPECT_TRUE(model.StoreToImage());
    EXPECT_EQ(Reg(10), 0x80 | 0x40 | 13);
    EXPECT_EQ(Reg(11), 0x80 | 0x40 | 0x20 | 14);
    EXPECT_EQ(Reg(12), 0x80 | 32);
}

TEST_F(VolumeCfgPageModelTest, DeviceCode28KeepsTheLineInRegistersAsTheyAre)
{
    for (const std::uint8_t code : {28, 23}) {
        SCOPED_TRACE(int{code});
        const int lineIn[][2] = {{15, 0},  {16, 4}, {17, 0},    {18, 0xF8}, {27, 0},
                                 {28, 12}, {29, 0}, {30, 0xE2}, {69, 20},   {70, 32}};
        for (const auto& [reg, value] : lineIn) {
            config.SetRegisterValue(static_cast<std::uint8_t>(reg),
                                    static_cast<std::uint8_t>(value));
        }
        config.SetRegisterValue(89, 0);
        config.SetRegisterValue(90, 0xE0);
        Open(code);
        Click(IDC_VOL_LINE_RECORD_SWITCH);  // off
        Click(IDC_VOL_LINE_AA_SWITCH);      // off
        Click(IDC_VOL_PLAYBACK_SWITCH);     // off
        EXPECT_TRUE(model.StoreToImage());
        EXPECT_EQ(Reg(90), -1);
        for (const auto& [reg, value] : lineIn) {
            EXPECT_EQ(Reg(reg), code == 28 ? value : -1) << reg;
        }
    }
}

TEST_F(VolumeCfgPageModelTest, TheProfileGatesTheMicAndLineGroups)
{
    config.SetDeviceCode(6);
    ClassifyDeviceCode(6, profile);  // a microphone input only
    model.Create(&profile);
    EXPECT_TRUE(C(IDC_VOL_PLAYBACK_SWITCH).IsEnabled());
    EXPECT_TRUE(C(IDC_VOL_MIC_RECORD_SWITCH).IsEnabled());
    EXPECT_TRUE(C(IDC_VOL_MIC_AA_MUTE).IsEnabled());
    EXPECT_FALSE(C(IDC_VOL_LINE_RECORD_SWITCH).IsEnabled());
    EXPECT_FALSE(C(IDC_VOL_LINE_AA_MUTE).IsEnabled());

    model.LoadFromImage(nullptr);  // no device: neither input
    EXPECT_FALSE(C(IDC_VOL_MIC_AA_SWITCH).IsEnabled());
    EXPECT_TRUE(C(IDC_VOL_PLAYBACK_MUTE).IsEnabled());
}

TEST_F(VolumeCfgPageModelTest, ResetAsksThenSwitchesEveryRangeOffAndRestoresTheMutes)
{
    config.SetRegisterValue(89, 0x00);
    config.SetRegisterValue(90, 0xD8);
    Open();
    prompter.QueueAnswer(false);
    model.OnCommand(IDC_PAGE_RESET, Notify::Clicked);
    EXPECT_TRUE(C(IDC_VOL_PLAYBACK_SWITCH).IsChecked());

    Click(IDC_VOL_MIC_AA_MUTE);
    Click(IDC_VOL_PLAYBACK_MUTE);
    Click(IDC_VOL_MIC_AA_SWITCH);  // a switch takes the boxes into the page's fields
    prompter.QueueAnswer(true);
    model.OnCommand(IDC_PAGE_RESET, Notify::Clicked);
    EXPECT_EQ(prompter.Prompts().back().text,
              "All changes for Volume Config before save will be discarded !!!");
    EXPECT_FALSE(C(IDC_VOL_PLAYBACK_SWITCH).IsChecked());
    EXPECT_EQ(C(IDC_VOL_PLAYBACK_MIN).GetCount(), 0);
    EXPECT_TRUE(C(IDC_VOL_MIC_AA_MUTE).IsChecked());
    EXPECT_FALSE(C(IDC_VOL_PLAYBACK_MUTE).IsChecked());
    EXPECT_EQ(Reg(89), 0x00);  // the image changes at the store only
    model.Destroy();
    EXPECT_TRUE(model.StoreToImage());  // without controls nothing is stored
    EXPECT_EQ(Reg(89), 0x00);
}

}  // namespace
}  // namespace tovrik
