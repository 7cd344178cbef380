// SPDX-License-Identifier: MIT
// The misc page's model against a register map, without any window.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <utility>

#include "formats/device_profile.h"
#include "config/eeprom_config.h"
#include "pages/config/misc_page_model.h"

namespace tovrik {
namespace {

using Registers = std::initializer_list<std::pair<int, int>>;

class MiscModelTest : public ::testing::Test {
protected:
    // An image holding only these registers, from a device with this code,
    // loaded and filled as the page does when its window exists.
    void Load(std::uint8_t code, Registers registers)
    {
        for (int reg = 0; reg < EepromConfig::kRegisterCount; ++reg) {
            config.ClearRegister(static_cast<std::uint8_t>(reg));
        }
        for (const auto& [reg, value] : registers) {
            config.SetRegisterValue(static_cast<std::uint8_t>(reg),
                                    static_cast<std::uint8_t>(value));
        }
        config.SetDeviceCode(code);
        profile = DeviceProfile{};
        ClassifyDeviceCode(code, profile);
        model.LoadFromImage(config);
        model.FillControls(config, profile);
    }

    // A second model loading what the first one stored.
    MiscPageModel Reloaded()
    {
        MiscPageModel reloaded;
        reloaded.LoadFromImage(config);
        reloaded.FillControls(config, profile);
        return reloaded;
    }

    void Store() { model.StoreToImage(config); }

    // -1 for an absent register.
    int Reg(int reg) const
    {
        const auto r = static_cast<std::uint8_t>(reg);
        return config.IsRegisterPresent(r) != 0 ? config.GetRegisterValue(r) : -1;
    }

    std::string Topology() const
    {
        const int s = model.selections.topology;
        return s < 0 ? "(none)" : model.topologyItems.at(static_cast<std::size_t>(s));
    }

    EepromConfig config;
    DeviceProfile profile;
    MiscPageModel model;
};

// --- Register 0x04 ---

TEST_F(MiscModelTest, TopologyDefaultsByDeviceCode)
{
    struct Case {
        std::uint8_t code;
        std::size_t items;
        const char* shown;
        int stored;  // 0x04 after a save without change
    };
    // Code 0 shows "Headset" but stores against a default of 0, so 0x04 appears.
    const Case cases[] = {{0x1C, 3, "Headset", -1},
                          {0x05, 4, "Headset with Line-In", -1},
                          {0x00, 3, "Headset", 0x40}};
    for (const Case& c : cases) {
        Load(c.code, {});
        SCOPED_TRACE(int{c.code});
        EXPECT_EQ(model.topologyItems.size(), c.items);
        EXPECT_EQ(Topology(), c.shown);
        EXPECT_EQ(model.selections.agcFeature, 0);
        EXPECT_EQ(model.selections.agcInit, 0);
        Store();
        EXPECT_EQ(Reg(0x04), c.stored);
    }
}

TEST_F(MiscModelTest, TopologyStoresItsIndexInTheNamesNotItsListPosition)
{
    Load(0x1C, {});
    model.selections.topology = 1;
    ASSERT_EQ(Topology(), "Microphone");
    Store();
    EXPECT_EQ(Reg(0x04), 0x80);

    // "Headset with Line-In" is not offered to a 0x1F headset: its type stays selected.
    Load(0x1F, {{0x04, 0x09}});
    EXPECT_EQ(Topology(), "Headset");
    EXPECT_EQ(model.selections.agcFeature, 1);
    EXPECT_EQ(model.selections.agcInit, 1);
}

TEST_F(MiscModelTest, Register04KeepsTheEqBitAndWhatNoListCanShow)
{
    // Bit 4 has no "Recording Channels" entry and stays; bits 5 and 1 are not the page's.
    Load(0x17, {{0x04, 0xFF}});
    EXPECT_EQ(Topology(), "Speaker");
    EXPECT_EQ(model.selections.recordingChannels, kNoSelection);
    model.selections.agcInit = 0;
    Store();
    EXPECT_EQ(Reg(0x04), 0xD5);

    // Bit 2 set by the EQ page's store just before keeps 0x04 off its default.
    Load(0x1C, {});
    config.SetRegisterValue(0x04, 0x44);
    Store();
    EXPECT_EQ(Reg(0x04), 0x44);
}

// --- Option registers 0x06, 0x39, 0x3F, 0x48, 0x9C ---

TEST_F(MiscModelTest, SelectorForceSetsBit7AndALoadedBit7IsIgnored)
{
    Load(0x17, {{0x06, 0x00}});
    model.selections.selectorForce = 3;  // "SPDIF-In"
    model.selections.stereoMixer = 1;
    Store();
    EXPECT_EQ(Reg(0x06), 0xE1);

    Load(0x17, {{0x06, 0x86}});
    EXPECT_EQ(model.selections.selectorForce, 0);
    Store();
    EXPECT_EQ(Reg(0x06), 0x06);
}

TEST_F(MiscModelTest, OptionBitsMapToTheirListsAndBack)
{
    Load(0x17, {{0x39, 0x11}, {0x3F, 0x22}, {0x48, 0x08}, {0x9C, 0x02}});
    // 0x22 is bits 5 and 1: the two master volume lists, "Disable" at index 1.
    EXPECT_EQ(model.selections.playbackMasterVolume, 1);
    EXPECT_EQ(model.selections.recordingMasterVolume, 1);
    EXPECT_EQ(model.selections.playbackDrive, 0);
    EXPECT_EQ(model.selections.hidGpioSwitch, 1);
    EXPECT_EQ(model.selections.ocMute, 1);
    EXPECT_EQ(model.selections.ocVolume, 0);

    model.selections.playbackDrive = 1;
    model.selections.playbackDsp = 1;
    model.selections.recordingMasterSlave = 1;
    model.selections.gpio0Wakeup = 1;
    model.selections.ocCompatible = 1;
    Store();
    EXPECT_EQ(Reg(0x39), 0x11);
    EXPECT_EQ(Reg(0x3F), 0xAB);
    EXPECT_EQ(Reg(0x48), 0x0A);
    EXPECT_EQ(Reg(0x9C), 0x0A);

    // A clear flag clears its register whatever the lists show.
    model.fields.setReg3F = 0;
    Store();
    EXPECT_EQ(Reg(0x3F), -1);
}

// --- Terminal types ---

TEST_F(MiscModelTest, TerminalTypesSelectByCodeAndKeepCodesWithoutAnEntry)
{
    for (const TerminalType& t : InputTerminalTypes) {
        EXPECT_NE(t.code, 0x23);
    }
    Load(0x17, {{0x07, 0x24}, {0x0D, 0x37}});
    EXPECT_EQ(model.selections.inputTerminal, 4);
    EXPECT_EQ(model.selections.outputTerminal, 8);
    model.selections.inputTerminal = 12;
    model.selections.outputTerminal = 0;  // the empty entry
    Store();
    EXPECT_EQ(Reg(0x07), 0x45);
    EXPECT_EQ(Reg(0x0D), -1);

    Load(0x17, {{0x07, 0x23}, {0x0D, 0x20}});
    EXPECT_EQ(model.selections.inputTerminal, kNoSelection);
    EXPECT_EQ(model.selections.outputTerminal, kNoSelection);
    Store();
    EXPECT_EQ(Reg(0x07), 0x23);
    EXPECT_EQ(Reg(0x0D), 0x20);
}

TEST_F(MiscModelTest, StereoMixerTerminalTypeText)
{
    Load(0x17, {{0x9B, 0x0A}});
    EXPECT_EQ(model.fields.stereoMixerTerminalText, "0A");
    const std::pair<const char*, int> cases[] = {{"1f", 0x1F}, {"", -1},  {"0", -1},
                                                 {"00", -1},   {"G", -1}, {"1G", 0x10}};
    for (const auto& [text, expected] : cases) {
        model.fields.stereoMixerTerminalText = text;
        Store();
        EXPECT_EQ(Reg(0x9B), expected) << '"' << text << '"';
    }
}

// --- AGC threshold and fixed gain ---

TEST_F(MiscModelTest, EverySliderThresholdLoadsBackToItsText)
{
    for (int position = 0; position <= kThresholdSliderMax; ++position) {
        Load(0x17, {{0x04, 0x01}});  // AGC on, so the threshold box stays checked
        model.fields.thresholdEnabled = 1;
        model.OnThresholdSlider(position);
        const double db = position * 0.5 - 10;
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", db);
        EXPECT_EQ(model.fields.thresholdText, text);
        Store();
        EXPECT_EQ(Reg(0xF5) * 256 + Reg(0xF4), std::lround(std::pow(10.0, db / 20) * 32768));
        const MiscPageModel reloaded = Reloaded();
        EXPECT_EQ(reloaded.fields.thresholdEnabled, 1);
        EXPECT_EQ(reloaded.fields.thresholdText, text);
        EXPECT_EQ(reloaded.thresholdPosition, position);
    }
    EXPECT_EQ(ThresholdRegisterFromText("-3.0"), std::lround(std::pow(10.0, -0.15) * 32768));
}

TEST_F(MiscModelTest, ThresholdsOffTheSliderClampItAndZeroIsKept)
{
    Load(0x17, {{0x04, 0x01}, {0xF4, 0x00}, {0xF5, 0x00}});
    EXPECT_EQ(model.fields.thresholdText, "-inf");
    EXPECT_EQ(model.thresholdPosition, 0);
    Store();
    EXPECT_EQ(Reg(0xF4), 0x00);
    EXPECT_EQ(Reg(0xF5), 0x00);

    // 0xF5 is read whether present or not: absent, it counts as 0.
    Load(0x17, {{0xF4, 0x01}});
    EXPECT_EQ(model.fields.thresholdText, "-90.3");
    EXPECT_EQ(model.thresholdPosition, 0);

    Load(0x17, {{0xF4, 0xFF}, {0xF5, 0xFF}});
    EXPECT_EQ(model.fields.thresholdText, "6.0");
    EXPECT_EQ(model.thresholdPosition, kThresholdSliderMax);
}

TEST_F(MiscModelTest, FixedGainIsASixBitSignedCountOfSteps)
{
    for (int position = 0; position <= kFixedGainSliderMax; ++position) {
        Load(0x17, {{0x04, 0x08}});
        model.fields.fixedGainEnabled = 1;
        model.OnFixedGainSlider(position);
        Store();
        EXPECT_EQ(Reg(0xF6), 0x40 + position);
        const MiscPageModel reloaded = Reloaded();
        EXPECT_EQ(reloaded.fields.fixedGainText, model.fields.fixedGainText);
        EXPECT_EQ(reloaded.fixedGainPosition, position);
    }
    EXPECT_EQ(model.fields.fixedGainText, "15.0");

    Load(0x17, {{0x04, 0x01}, {0xF6, 0x7F}});
    EXPECT_EQ(model.fields.fixedGainText, "-1.5");
    EXPECT_EQ(model.fixedGainPosition, 0);
    Store();
    EXPECT_EQ(Reg(0xF6), 0x7F);

    Load(0x17, {{0x04, 0x01}, {0xF6, 0x9F}});  // bit 7 ignored, 31 steps
    EXPECT_EQ(model.fields.fixedGainText, "46.5");
    EXPECT_EQ(model.fixedGainPosition, kFixedGainSliderMax);
    Store();
    EXPECT_EQ(Reg(0xF6), 0x5F);

    EXPECT_EQ(FixedGainRegisterFromText("2.9"), 0x41);
    EXPECT_EQ(FixedGainRegisterFromText("-2.9"), 0x7F);
}

// --- Clipping LED and the AGC check boxes ---

TEST_F(MiscModelTest, ClippingLedIsBit7OfF0AndStoresBothRegisters)
{
    Load(0x17, {{0xF0, 0x01}, {0x49, 0x10}});
    EXPECT_EQ(model.fields.clippingLed, 0);
    Store();
    EXPECT_EQ(Reg(0xF0), -1);
    EXPECT_EQ(Reg(0x49), -1);
    model.fields.clippingLed = 1;
    Store();
    EXPECT_EQ(Reg(0xF0), 0x81);
    EXPECT_EQ(Reg(0x49), 0x10);
}

TEST_F(MiscModelTest, AgcCheckBoxRule)
{
    struct Case {
        int clippingLed, feature, init;
        bool threshold, fixedGain;
    };
    const Case cases[] = {
        {1, 0, 0, true, false},  {1, 1, 0, true, true}, {1, 0, 1, true, true},
        {0, 0, 0, false, false}, {0, 1, 0, true, true}, {0, 0, 1, true, true},
    };
    for (const Case& c : cases) {
        model.fields.clippingLed = c.clippingLed;
        model.selections.agcFeature = c.feature;
        model.selections.agcInit = c.init;
        model.fields.thresholdEnabled = 1;
        model.fields.fixedGainEnabled = 1;
        model.UpdateAgcControls();
        SCOPED_TRACE(testing::Message() << c.clippingLed << c.feature << c.init);
        // A disabled box is also cleared; an enabled one keeps its check.
        EXPECT_EQ(model.thresholdCheckEnabled, c.threshold);
        EXPECT_EQ(model.fixedGainCheckEnabled, c.fixedGain);
        EXPECT_EQ(model.fields.thresholdEnabled, c.threshold ? 1 : 0);
        EXPECT_EQ(model.fields.fixedGainEnabled, c.fixedGain ? 1 : 0);
    }

    // Loaded with the AGC off and no clipping LED, the save drops both settings.
    Load(0x17, {{0x04, 0x00}, {0xF4, 0x00}, {0xF5, 0x80}, {0xF6, 0x44}});
    Store();
    EXPECT_EQ(Reg(0xF4), -1);
    EXPECT_EQ(Reg(0xF5), -1);
    EXPECT_EQ(Reg(0xF6), -1);
}

// --- Boost gains, Reset, and a save without change ---

TEST_F(MiscModelTest, BoostRegistersAreAlwaysWrittenKeepingTheirOtherBits)
{
    Load(0x17, {});
    Store();
    EXPECT_EQ(Reg(0x72), 0x40);
    EXPECT_EQ(Reg(0x73), 0x40);

    Load(0x17, {{0x72, 0xA2}});  // 0x73 absent reads as index 0
    EXPECT_EQ(model.selections.leftBoost, 2);
    EXPECT_EQ(model.selections.rightBoost, 0);
    model.selections.leftBoost = 3;
    Store();
    EXPECT_EQ(Reg(0x72), 0xE3);
    EXPECT_EQ(Reg(0x73), 0x40);
}

TEST_F(MiscModelTest, ResetShowsDefaultsAndTheNextStoreClearsThePage)
{
    Load(0x1C, {{0x04, 0xC9},
                {0x06, 0x61},
                {0x07, 0x21},
                {0x0D, 0x31},
                {0x39, 0x11},
                {0x3F, 0x80},
                {0x48, 0x08},
                {0x9C, 0x08},
                {0x9B, 0x1F},
                {0xF0, 0x81},
                {0x49, 0x10},
                {0xF4, 0x00},
                {0xF5, 0x80},
                {0xF6, 0x4A},
                {0x72, 0x83},
                {0x73, 0x02}});
    model.ResetPage(config, profile);
    EXPECT_EQ(Topology(), "Headset");
    EXPECT_EQ(model.thresholdPosition, kThresholdSliderMax);
    EXPECT_EQ(model.selections.inputTerminal, 0);
    Store();
    for (int reg :
         {0x04, 0x06, 0x07, 0x0D, 0x39, 0x3F, 0x48, 0x9C, 0x9B, 0xF0, 0x49, 0xF4, 0xF5, 0xF6}) {
        EXPECT_EQ(Reg(reg), -1) << std::hex << reg;
    }
    EXPECT_EQ(Reg(0x72), 0xC0);
    EXPECT_EQ(Reg(0x73), 0x40);
}

TEST_F(MiscModelTest, UnchangedLoadAndStoreKeepsEveryValue)
{
    const Registers image = {{0x04, 0x89}, {0x06, 0xA5}, {0x07, 0x42}, {0x0D, 0x33},
                             {0x39, 0x10}, {0x3F, 0x6B}, {0x48, 0x09}, {0x9C, 0x0B},
                             {0x9B, 0x1F}, {0xF0, 0x81}, {0x49, 0x10}, {0xF4, 0x00},
                             {0xF5, 0x80}, {0xF6, 0x47}, {0x72, 0x41}, {0x73, 0x42}};
    Load(0x17, image);
    Store();
    for (const auto& [reg, value] : image) {
        EXPECT_EQ(Reg(reg), value) << std::hex << reg;
    }
}

}  // namespace
}  // namespace tovrik
