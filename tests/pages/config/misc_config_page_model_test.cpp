// SPDX-License-Identifier: MIT
// The misc page's controls without a window, driven through the interface
// every page model shares: user input on the controls reaches the registers.
#include "pages/config/misc_config_page_model.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "config/eeprom_config.h"
#include "formats/device_profile.h"
#include "platform/recording_prompter.h"
#include "resources/misc_ids.h"
#include "support/memory_eeprom_library.h"

namespace tovrik {
namespace {

class MiscConfigPageModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        config.SetDeviceCode(0x17);
        ClassifyDeviceCode(0x17, profile);
        page.Create(&profile);
    }
    Control& C(int id) { return page.Item(id); }
    void Select(int id, const std::string& text)
    {
        const int index = C(id).FindStringExact(text);
        ASSERT_NE(index, kListError) << text;
        C(id).SetCurSel(index);
        page.OnCommand(id, Notify::SelChange);
    }
    int Reg(int reg)
    {
        const auto r = static_cast<std::uint8_t>(reg);
        return config.IsRegisterPresent(r) != 0 ? config.GetRegisterValue(r) : -1;
    }

    MemoryEepromLibrary library;
    RecordingPrompter prompter;
    EepromConfig config{library, prompter};
    DeviceProfile profile;
    MiscConfigPageModel model{config, prompter};
    ConfigPageModel& page = model;
};

TEST_F(MiscConfigPageModelTest, AChosenListEntryReachesItsRegister)
{
    Select(IDC_MISC_TOPOLOGY, "Speaker");
    Select(IDC_MISC_INPUT_TERMINAL, "0x21 Microphone");
    EXPECT_TRUE(page.StoreToImage());
    EXPECT_EQ(Reg(0x04), 0xC0);
    EXPECT_EQ(Reg(0x07), 0x21);
}

TEST_F(MiscConfigPageModelTest, TheAgcListsEnableTheThresholdWhoseSliderWritesItsText)
{
    EXPECT_FALSE(C(IDC_MISC_THRESHOLD_ENABLE).IsEnabled());
    Select(IDC_MISC_AGC_INIT, "On");
    EXPECT_TRUE(C(IDC_MISC_THRESHOLD_ENABLE).IsEnabled());
    EXPECT_TRUE(C(IDC_MISC_FIXED_GAIN_ENABLE).IsEnabled());

    C(IDC_MISC_THRESHOLD_ENABLE).SetCheck(true);
    page.OnCommand(IDC_MISC_THRESHOLD_ENABLE, Notify::Clicked);
    C(IDC_MISC_THRESHOLD_SLIDER).SetPos(14);
    page.OnCommand(IDC_MISC_THRESHOLD_SLIDER, Notify::Scroll);
    EXPECT_EQ(C(IDC_MISC_THRESHOLD_TEXT).Text(), "-3.0");
    EXPECT_TRUE(page.StoreToImage());
    EXPECT_EQ(Reg(0xF5) * 256 + Reg(0xF4), 23198);  // 32768 x 10^(-3/20), rounded

    Select(IDC_MISC_AGC_INIT, "Off");
    EXPECT_FALSE(C(IDC_MISC_THRESHOLD_ENABLE).IsEnabled());
    EXPECT_FALSE(C(IDC_MISC_THRESHOLD_ENABLE).IsChecked());
}

TEST_F(MiscConfigPageModelTest, HiddenSetRegisterBoxesDecideWhichOptionRegistersAreKept)
{
    const std::pair<int, int> options[] = {{IDC_MISC_SET_REG06, 0x06},
                                           {IDC_MISC_SET_REG39, 0x39},
                                           {IDC_MISC_SET_REG3F, 0x3F},
                                           {IDC_MISC_SET_REG48, 0x48},
                                           {IDC_MISC_SET_REG9C, 0x9C}};
    for (const auto& [box, reg] : options) {
        config.SetRegisterValue(static_cast<std::uint8_t>(reg), 0x01);
    }
    page.LoadFromImage(&profile);
    for (const auto& [box, reg] : options) {
        EXPECT_TRUE(C(box).IsChecked()) << reg;
    }
    for (const int box : {IDC_MISC_SET_REG06, IDC_MISC_SET_REG9C}) {
        C(box).SetCheck(false);
        page.OnCommand(box, Notify::Clicked);
    }
    EXPECT_TRUE(page.StoreToImage());
    EXPECT_EQ(Reg(0x06), -1);
    EXPECT_EQ(Reg(0x9C), -1);
    EXPECT_EQ(Reg(0x39), 0x01);
    EXPECT_EQ(Reg(0x3F), 0x01);
    EXPECT_EQ(Reg(0x48), 0x01);
}

TEST_F(MiscConfigPageModelTest, ATerminalTextOverItsLimitStoresNothing)
{
    Select(IDC_MISC_INPUT_TERMINAL, "0x21 Microphone");
    C(IDC_MISC_STEREO_MIXER_TERMINAL).SetText("123");
    EXPECT_FALSE(page.StoreToImage());
    EXPECT_EQ(prompter.Messages(),
              std::vector<std::string>{"Please enter no more than 2 characters."});
    EXPECT_EQ(Reg(0x07), -1);
    EXPECT_EQ(Reg(0x9B), -1);

    page.Destroy();
    EXPECT_TRUE(page.StoreToImage());  // without controls nothing is stored
    EXPECT_EQ(Reg(0x07), -1);
}

}  // namespace
}  // namespace tovrik
