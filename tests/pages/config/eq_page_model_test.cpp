// SPDX-License-Identifier: MIT
// The EQ page's behaviour without a window: modes from the image and the
// device code, the reactions of its controls, live reports and storing.
#include <gtest/gtest.h>

#include <utility>

#include "formats/device_profile.h"
#include "pages/config/eq_coefficients.h"
#include "pages/config/eq_page_model.h"
#include "platform/recording_prompter.h"
#include "resources/eq_ids.h"
#include "support/memory_eeprom_library.h"

namespace tovrik {
namespace {

using Writes = std::vector<std::pair<int, int>>;
using Texts = std::vector<std::string>;

// Keeps the register-write reports the page sends, as (register, value).
class ReportLibrary : public MemoryEepromLibrary {
public:
    Writes writes;
    int rmSetReport(const std::uint8_t* report, int length) override
    {
        if (length == 8 && report[0] == 0x01 && report[6] == 0x01) {
            writes.emplace_back(report[5], report[7]);
        }
        return 1;
    }
};

// Gains of user presets 0..3; 60 lies above the slider's top.
constexpr EqPresetGains kUserGains = {{{20, 24, 28, 24, 60, 8},
                                       {24, 24, 24, 24, 24, 0},
                                       {0, 48, 12, 36, 24, 28},
                                       {30, 30, 30, 30, 30, 4}}};

class EqPageModelTest : public ::testing::Test {
protected:
    void Open(std::uint8_t code)
    {
        config.SetDeviceCode(code);
        ClassifyDeviceCode(code, profile);
        model.Create(&profile);
    }
    Control& C(int id) { return model.Item(id); }
    void TypeAndLeave(int id, const std::string& text)
    {
        C(id).TypeText(text);
        model.OnCommand(id, Notify::KillFocus);
    }
    // As the desktop controls do before telling the page.
    void Click(int id)
    {
        if (C(id).Kind() == ControlKind::CheckBox) {
            C(id).SetCheck(!C(id).IsChecked());
        }
        for (int radio :
             {IDC_EQ_MODE_CHIP_DEFAULT, IDC_EQ_MODE_USER_DEFINED, IDC_EQ_MODE_ONE_PRESET}) {
            if (C(id).Kind() == ControlKind::RadioButton) {
                C(radio).SetCheck(radio == id);
            }
        }
        model.OnCommand(id, Notify::Clicked);
    }
    void Select(int id, const std::string& item)
    {
        ASSERT_GE(C(id).SetCurSel(C(id).FindStringExact(item)), 0) << item;
        model.OnCommand(id, Notify::SelChange);
    }
    std::string Selected(int id) { return C(id).GetItemText(C(id).GetCurSel()); }
    template <typename Ids>
    Texts TextsOf(const Ids& ids)
    {
        Texts texts;
        for (int id : ids) {
            texts.push_back(C(id).Text());
        }
        return texts;
    }
    std::vector<int> Positions()
    {
        std::vector<int> positions;
        for (int id : IDC_EQ_GAIN_SLIDERS) {
            positions.push_back(C(id).GetPos());
        }
        return positions;
    }
    bool Present(int reg) { return config.IsRegisterPresent(static_cast<std::uint8_t>(reg)) != 0; }
    int Value(int reg) { return config.GetRegisterValue(static_cast<std::uint8_t>(reg)); }
    int PresentInEqRange()
    {
        int count = 0;
        for (int reg = 160; reg <= 225; ++reg) {
            count += Present(reg) ? 1 : 0;
        }
        return count;
    }

    ReportLibrary library;
    RecordingPrompter prompter;
    EepromConfig config{library, prompter};
    DeviceProfile profile;
    EqPageModel model{config, prompter};
};

TEST_F(EqPageModelTest, AnImageWithoutEqSettingsIsChipDefaultModeAndStaysOutOfTheImage)
{
    Open(23);  // five low bits 10111
    EXPECT_TRUE(C(IDC_EQ_MODE_CHIP_DEFAULT).IsChecked());
    EXPECT_FALSE(C(IDC_EQ_DISABLE).IsChecked());
    EXPECT_EQ(C(IDC_EQ_SAMPLE_RATE).Items(),
              (Texts{"", "48K/44.1K Only", "48K Only", "44.1K Only"}));
    EXPECT_EQ(C(IDC_EQ_SAMPLE_RATE).GetCurSel(), 0);
    EXPECT_EQ(Selected(IDC_EQ_TREBLE_BASS), "Disable");
    EXPECT_FALSE(C(IDC_EQ_TREBLE_BASS).IsEnabled());
    EXPECT_FALSE(C(IDC_EQ_APPLY).IsEnabled());
    EXPECT_FALSE(C(IDC_EQ_GAIN_SLIDERS[0]).IsEnabled());
    EXPECT_TRUE(C(IDC_EQ_GAIN_TEXTS[0]).IsReadOnly());
    EXPECT_TRUE(C(IDC_EQ_FREQUENCIES[0]).IsReadOnly());
    EXPECT_EQ(TextsOf(IDC_EQ_FREQUENCIES), (Texts{"100", "350", "1000", "3500", "13000"}));
    EXPECT_EQ(TextsOf(IDC_EQ_BANDWIDTHS), (Texts{"70", "210", "620", "2310", "5200"}));
    // The chip's preset 1, 31 23 22 22 22 and 28, is 3.5 -0.5 -1.0 -1.0 -1.0 dB and 7 dB.
    EXPECT_EQ(TextsOf(IDC_EQ_PRESET_GRID[1]), (Texts{"3.5", "-0.5", "-1.0", "-1.0", "-1.0", "7"}));

    model.StoreToImage();
    EXPECT_EQ(PresentInEqRange(), 0);
    EXPECT_FALSE(Present(4) || Present(31) || Present(227));
}

TEST_F(EqPageModelTest, FiveLowBitsSetStartOnePresetModeAndStoreTheBandsRegisterByRegister)
{
    Open(31);
    EXPECT_TRUE(C(IDC_EQ_MODE_ONE_PRESET).IsChecked());
    EXPECT_FALSE(C(IDC_EQ_PRESET_SELECT).IsEnabled());
    EXPECT_TRUE(C(IDC_EQ_TREBLE_BASS).IsEnabled());
    EXPECT_FALSE(C(IDC_EQ_FREQUENCIES[2]).IsReadOnly());
    EXPECT_EQ(Positions(), (std::vector<int>{24, 24, 24, 24, 24}));
    EXPECT_EQ(TextsOf(IDC_EQ_GAIN_TEXTS), (Texts{"0.0", "0.0", "0.0", "0.0", "0.0"}));
    EXPECT_EQ(TextsOf(IDC_EQ_PRESET_GRID[0]), Texts(6, ""));

    model.StoreToImage();
    EXPECT_EQ(PresentInEqRange(), 66);
    EXPECT_FALSE(Present(227));
    EXPECT_EQ(Value(160), 24);
    EXPECT_EQ(Value(165), 0x1C);
    EqBandSettings bands{};
    config.GetEqBandSettings(bands);
    EXPECT_EQ(bands, DefaultBandSettingValues());
    EXPECT_EQ(bands[4], (std::array<std::uint16_t, 2>{13000, 5200}));
    // Register 166 takes bits 31..24 of band 1's a1, 177 bits 7..0 of its b0; band 5 starts at 214.
    for (int band : {0, 4}) {
        const BandCoefficients c = ComputeBandCoefficients(48000, bands[band][0], bands[band][1]);
        const int first = 166 + 12 * band;
        EXPECT_EQ(Value(first), static_cast<std::uint32_t>(c.a1) >> 24);
        EXPECT_EQ(Value(first + 7), static_cast<std::uint32_t>(c.a2) & 0xFF);
        EXPECT_EQ(Value(first + 11), static_cast<std::uint32_t>(c.b0) & 0xFF);
    }
    EXPECT_EQ(Value(170), 0xE0);  // band 1's a2 is -523267804, 0xE0CF9124
}

TEST_F(EqPageModelTest, TheImageChoosesUserDefinedOrOnePresetMode)
{
    config.SetEqPresetGains(kUserGains);
    Open(31);
    EXPECT_TRUE(C(IDC_EQ_MODE_USER_DEFINED).IsChecked());
    EXPECT_TRUE(C(IDC_EQ_PRESET_SELECT).IsEnabled());
    EXPECT_TRUE(C(IDC_EQ_COMPENSATION).IsReadOnly());
    EXPECT_EQ(Positions(), (std::vector<int>{28, 24, 20, 24, 0}));
    EXPECT_EQ(TextsOf(IDC_EQ_GAIN_TEXTS), (Texts{"-2.0", "0.0", "2.0", "0.0", "12.0"}));
    EXPECT_EQ(TextsOf(IDC_EQ_PRESET_GRID[0]), (Texts{"-2.0", "0.0", "2.0", "0.0", "18.0", "2"}));
    Select(IDC_EQ_PRESET_SELECT, "10");  // preset 2
    EXPECT_EQ(Positions(), (std::vector<int>{48, 0, 36, 12, 24}));
    EXPECT_EQ(C(IDC_EQ_COMPENSATION).Text(), "7");
    model.StoreToImage();  // nothing applied: stored as loaded, the 60 included
    EqPresetGains stored{};
    config.GetEqPresetGains(stored);
    EXPECT_EQ(stored, kUserGains);
    EXPECT_EQ(PresentInEqRange(), 0);

    config.ClearEqPresetGains();
    const int gains[6] = {30, 20, 24, 40, 10, 0x10};
    for (int i = 0; i < 6; ++i) {
        config.SetRegisterValue(static_cast<std::uint8_t>(160 + i),
                                static_cast<std::uint8_t>(gains[i]));
    }
    config.SetRegisterValue(166, 0x12);
    config.SetEqBandSettings({{{200, 100}, {500, 300}, {2000, 900}, {6000, 1000}, {9000, 4000}}});
    Open(23);
    EXPECT_TRUE(C(IDC_EQ_MODE_ONE_PRESET).IsChecked());
    EXPECT_EQ(TextsOf(IDC_EQ_GAIN_TEXTS), (Texts{"3.0", "-2.0", "0.0", "8.0", "-7.0"}));
    EXPECT_EQ(TextsOf(IDC_EQ_FREQUENCIES), (Texts{"200", "500", "2000", "6000", "9000"}));
    EXPECT_EQ(C(IDC_EQ_COMPENSATION).Text(), "4");
}

TEST_F(EqPageModelTest, DeviceCode22TheProfileAndAMissingWindowLimitTheLoadAndTheStore)
{
    Open(31);
    config.SetDeviceCode(22);
    config.SetEqPresetGains(kUserGains);
    model.LoadFromImage(&profile);
    EXPECT_TRUE(C(IDC_EQ_MODE_ONE_PRESET).IsChecked());
    model.StoreToImage();
    EXPECT_TRUE(Present(227));
    EXPECT_EQ(PresentInEqRange(), 0);

    config.ClearEqPresetGains();
    Open(0);  // no equaliser
    for (int id : {IDC_EQ_DISABLE, IDC_EQ_SAMPLE_RATE, IDC_EQ_MODE_ONE_PRESET, IDC_EQ_PRESET_SELECT,
                   IDC_EQ_APPLY, IDC_EQ_RESET, IDC_EQ_GAIN_SLIDERS[0], IDC_EQ_FREQUENCIES[4]}) {
        EXPECT_FALSE(C(id).IsEnabled()) << id;
    }

    model.Destroy();
    config.SetDeviceCode(31);
    ClassifyDeviceCode(31, profile);
    model.LoadFromImage(&profile);
    EXPECT_EQ(model.State().presetMode, kOnePresetMode);
    model.StoreToImage();
    model.OnCommand(IDC_EQ_APPLY, Notify::Clicked);
    EXPECT_EQ(PresentInEqRange(), 0);
    EXPECT_TRUE(library.writes.empty());
}

TEST_F(EqPageModelTest, SamplingRatesAndAllSamplingRateListedOnceWhileTheEqIsOff)
{
    config.SetRegisterValue(31, 0x80);
    Open(31);
    EXPECT_EQ(Selected(IDC_EQ_SAMPLE_RATE), "48K Only");
    Select(IDC_EQ_SAMPLE_RATE, "44.1K Only");
    model.StoreToImage();
    EXPECT_EQ(Value(31), 0x40);
    // All rates with the EQ on: the list shows no entry, and that is what is stored.
    config.SetRegisterValue(31, 0x00);
    model.LoadFromImage(&profile);
    EXPECT_EQ(C(IDC_EQ_SAMPLE_RATE).GetCurSel(), -1);
    model.StoreToImage();
    EXPECT_FALSE(Present(31));

    config.SetRegisterValue(31, 0x00);
    config.SetRegisterValue(165, 0x01);
    model.LoadFromImage(&profile);
    model.LoadFromImage(&profile);
    model.OnCommand(IDC_EQ_DISABLE, Notify::Clicked);  // still checked
    EXPECT_TRUE(C(IDC_EQ_DISABLE).IsChecked());
    EXPECT_FALSE(C(IDC_EQ_TREBLE_BASS).IsEnabled());
    EXPECT_EQ(C(IDC_EQ_SAMPLE_RATE).GetCount(), 5);
    EXPECT_EQ(Selected(IDC_EQ_SAMPLE_RATE), "All Sampling Rate");
    model.StoreToImage();
    EXPECT_TRUE(Present(31));
    EXPECT_EQ(Value(31), 0x00);

    Click(IDC_EQ_DISABLE);
    EXPECT_EQ(C(IDC_EQ_SAMPLE_RATE).GetCount(), 4);
    EXPECT_EQ(C(IDC_EQ_SAMPLE_RATE).GetCurSel(), 0);
    EXPECT_TRUE(C(IDC_EQ_TREBLE_BASS).IsEnabled());  // one-preset mode
}

TEST_F(EqPageModelTest, Registers165And4KeepTheDisableBitAndTrebleBass)
{
    Open(31);
    Click(IDC_EQ_DISABLE);
    model.StoreToImage();
    EXPECT_EQ(Value(165), 0x1D);
    Click(IDC_EQ_MODE_USER_DEFINED);
    model.StoreToImage();
    EXPECT_EQ(Value(165), 0x01);
    Click(IDC_EQ_DISABLE);
    model.StoreToImage();
    EXPECT_FALSE(Present(165));

    Click(IDC_EQ_MODE_ONE_PRESET);
    Select(IDC_EQ_TREBLE_BASS, "Enable");
    EXPECT_EQ(C(IDC_EQ_BAND1_TITLE).Text(), "Bass");
    EXPECT_EQ(C(IDC_EQ_BAND5_TITLE).Text(), "Treble");
    model.StoreToImage();
    EXPECT_EQ(Value(4), 0x44);  // absent before
    config.SetRegisterValue(4, 0x13);
    model.StoreToImage();
    EXPECT_EQ(Value(4), 0x17);
    Select(IDC_EQ_TREBLE_BASS, "Disable");
    EXPECT_EQ(C(IDC_EQ_BAND5_TITLE).Text(), "Band-5");
    model.StoreToImage();
    EXPECT_EQ(Value(4), 0x13);
    config.ClearRegister(4);
    model.StoreToImage();
    EXPECT_FALSE(Present(4));
}

TEST_F(EqPageModelTest, FieldsTheUserLeavesAreParsedAndChecked)
{
    Open(31);
    const int gain = IDC_EQ_GAIN_TEXTS[0];
    for (const auto& [typed, position, shown] : {std::tuple{"20", 0, "12.0"},
                                                 {"3.3", 18, "3.0"},
                                                 {"-3.3", 30, "-3.0"},
                                                 {"loud", 30, "-3.0"}}) {
        TypeAndLeave(gain, typed);
        EXPECT_EQ(C(IDC_EQ_GAIN_SLIDERS[0]).GetPos(), position) << typed;
        EXPECT_EQ(C(gain).Text(), shown) << typed;
    }
    C(IDC_EQ_GAIN_TEXTS[3]).TypeText(" 1.5dB");
    model.OnCommand(IDC_EQ_GAIN_TEXTS[3], Notify::EnterKey);  // Enter moves the focus on
    EXPECT_EQ(C(IDC_EQ_GAIN_SLIDERS[3]).GetPos(), 21);
    C(IDC_EQ_GAIN_SLIDERS[2]).SetPos(7);
    model.OnCommand(IDC_EQ_GAIN_SLIDERS[2], Notify::Scroll);
    EXPECT_EQ(C(IDC_EQ_GAIN_TEXTS[2]).Text(), "8.5");

    TypeAndLeave(IDC_EQ_COMPENSATION, "5abc");
    EXPECT_EQ(C(IDC_EQ_COMPENSATION).Text(), "5");
    TypeAndLeave(IDC_EQ_COMPENSATION, "x");
    EXPECT_EQ(C(IDC_EQ_COMPENSATION).Text(), "5");

    C(IDC_EQ_FREQUENCIES[0]).TypeText("100");
    TypeAndLeave(IDC_EQ_BANDWIDTHS[0], "99");
    C(IDC_EQ_FREQUENCIES[4]).TypeText("9000");
    TypeAndLeave(IDC_EQ_BANDWIDTHS[4], "9000");
    C(IDC_EQ_FREQUENCIES[1]).TypeText("150");
    TypeAndLeave(IDC_EQ_BANDWIDTHS[1], "400");
    TypeAndLeave(IDC_EQ_FREQUENCIES[2], "many");  // keeps 1000, which passes
    EXPECT_EQ(prompter.Messages(),
              (Texts{"Bandwidth must be less than Central-Freq. Please set Band-5 again.",
                     "Bandwidth must be less than Central-Freq. Please set Band-2 again"}));
    EXPECT_EQ(TextsOf(IDC_EQ_FREQUENCIES), (Texts{"100", "350", "1000", "3500", "13000"}));
    EXPECT_EQ(TextsOf(IDC_EQ_BANDWIDTHS), (Texts{"99", "210", "620", "2310", "5200"}));
}

TEST_F(EqPageModelTest, ApplySendsSixReportsForOneUserPresetAnd66ForOnePresetMode)
{
    config.SetEqPresetGains(kUserGains);
    Open(23);
    Select(IDC_EQ_PRESET_SELECT, "11");  // preset 3
    TypeAndLeave(IDC_EQ_GAIN_TEXTS[0], "6");
    TypeAndLeave(IDC_EQ_GAIN_TEXTS[4], "-1.5");
    C(IDC_EQ_COMPENSATION).TypeText("3");  // hidden, filled all the same
    Click(IDC_EQ_APPLY);
    EXPECT_EQ(library.writes,
              (Writes{{160, 36}, {161, 30}, {162, 30}, {163, 30}, {164, 21}, {165, 12}}));
    EqPresetGains expected = kUserGains;
    expected[3] = {36, 30, 30, 30, 21, 12};
    EXPECT_EQ(model.State().userPresetGains, expected);
    EXPECT_EQ(TextsOf(IDC_EQ_PRESET_GRID[3]), (Texts{"6.0", "3.0", "3.0", "3.0", "-1.5", "3"}));
    EXPECT_EQ(TextsOf(IDC_EQ_PRESET_GRID[0])[4], "18.0");

    library.writes.clear();
    Click(IDC_EQ_MODE_ONE_PRESET);
    C(IDC_EQ_FREQUENCIES[2]).TypeText("1200");
    C(IDC_EQ_BANDWIDTHS[2]).TypeText("600");
    TypeAndLeave(IDC_EQ_GAIN_TEXTS[2], "-6");
    Click(IDC_EQ_APPLY);
    const int bands[5][2] = {{100, 70}, {350, 210}, {1200, 600}, {3500, 2310}, {13000, 5200}};
    Writes sent;
    for (int band = 0; band < 5; ++band) {
        const auto bytes =
            BandRegisterBytes(ComputeBandCoefficients(48000, bands[band][0], bands[band][1]));
        for (int i = 0; i < 12; ++i) {
            sent.emplace_back(166 + 12 * band + i, bytes[i]);
        }
        sent.emplace_back(160 + band, band == 2 ? 12 : 24);
    }
    sent.emplace_back(165, 28);
    EXPECT_EQ(library.writes.size(), 66u);
    EXPECT_EQ(library.writes, sent);
    EXPECT_EQ(model.State().bandSettings[2], (std::array<std::uint16_t, 2>{1200, 600}));
    EXPECT_EQ(model.State().onePresetGains, (EqGainRow{24, 24, 12, 24, 24, 28}));
}

TEST_F(EqPageModelTest, TheSelectorKeepsItsStateInChipDefaultModeAndResetAsksFirst)
{
    config.SetEqPresetGains(kUserGains);
    config.SetRegisterValue(165, 0x01);
    Open(23);
    Click(IDC_EQ_MODE_CHIP_DEFAULT);
    EXPECT_TRUE(C(IDC_EQ_PRESET_SELECT).IsEnabled());
    Click(IDC_EQ_MODE_ONE_PRESET);
    Click(IDC_EQ_MODE_CHIP_DEFAULT);
    EXPECT_FALSE(C(IDC_EQ_PRESET_SELECT).IsEnabled());
    Click(IDC_EQ_MODE_USER_DEFINED);

    Select(IDC_EQ_SAMPLE_RATE, "All Sampling Rate");
    prompter.QueueAnswer(false);
    Click(IDC_EQ_RESET);
    EXPECT_TRUE(C(IDC_EQ_MODE_USER_DEFINED).IsChecked());
    prompter.QueueAnswer(true);
    Click(IDC_EQ_RESET);
    EXPECT_EQ(prompter.Prompts().back().text,
              "All changes for EQ Config before save will be discarded !!!");
    EXPECT_TRUE(C(IDC_EQ_MODE_CHIP_DEFAULT).IsChecked());
    EXPECT_FALSE(C(IDC_EQ_MODE_USER_DEFINED).IsChecked());
    EXPECT_FALSE(C(IDC_EQ_DISABLE).IsChecked());
    EXPECT_EQ(model.State().userPresetGains, ChipDefaultPresetGains);
    EXPECT_EQ(C(IDC_EQ_SAMPLE_RATE).GetCount(), 4);
    EXPECT_EQ(C(IDC_EQ_SAMPLE_RATE).GetCurSel(), 0);
    EqPresetGains image{};
    config.GetEqPresetGains(image);
    EXPECT_EQ(image, kUserGains);
    EXPECT_EQ(Value(165), 0x01);
}

}  // namespace
}  // namespace tovrik
