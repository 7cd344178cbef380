// SPDX-License-Identifier: MIT
#include "pages/config/eq_page_model.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "formats/decimal_text.h"
#include "formats/device_profile.h"
#include "pages/config/eq_page_registers.h"
#include "platform/prompter.h"
#include "resources/dialog_templates.h"
#include "resources/eq_ids.h"
#include "resources/resource_ids.h"

namespace tovrik {

using namespace eq_page;

namespace {

constexpr const char* kAskReset = "All changes for EQ Config before save will be discarded !!!";
constexpr std::array<const char*, 5> kBandwidthMessages = {
    "Bandwidth must be less than Central-Freq. Please set Band-1 again",
    "Bandwidth must be less than Central-Freq. Please set Band-2 again",
    "Bandwidth must be less than Central-Freq. Please set Band-3 again",
    "Bandwidth must be less than Central-Freq. Please set Band-4 again",
    "Bandwidth must be less than Central-Freq. Please set Band-5 again.",
};
constexpr const char* kBand1Title = "Band-1";
constexpr const char* kBand5Title = "Band-5";
constexpr const char* kBassTitle = "Bass";
constexpr const char* kTrebleTitle = "Treble";

constexpr int kSliderMax = 48;
constexpr int kSliderMiddle = 24;

// The slider position for a gain in dB: 24 - (2g truncated toward zero), kept
// within an int before the slider clamps it.
int PositionFromGain(double gain)
{
    const double steps = std::trunc(std::clamp(gain * 2.0, -1000.0, 1000.0));
    return kSliderMiddle - static_cast<int>(steps);
}

std::string Format1(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    return buffer;
}

std::string CompensationText(std::uint8_t byte)
{
    return std::to_string(byte >> 2);
}

std::array<std::string, 6> PresetRowTexts(const EqGainRow& row)
{
    std::array<std::string, 6> texts;
    for (int band = 0; band < 5; ++band) {
        texts[band] = GainTextFromCode(row[band]);
    }
    texts[5] = CompensationText(row[5]);
    return texts;
}

template <typename Ids>
int IndexOf(const Ids& ids, int id)
{
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (ids[i] == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool LeavesField(Notify code)
{
    // Enter and Tab in these fields move the focus on, which leaves the field.
    return code == Notify::KillFocus || code == Notify::EnterKey || code == Notify::TabKey;
}

}  // namespace

EqBandSettings DefaultBandSettingValues()
{
    EqBandSettings settings{};
    for (int band = 0; band < 5; ++band) {
        settings[band][0] = static_cast<std::uint16_t>(
            ParseLeadingInteger(DefaultBandSettings[band].frequency).value_or(0));
        settings[band][1] = static_cast<std::uint16_t>(
            ParseLeadingInteger(DefaultBandSettings[band].bandwidth).value_or(0));
    }
    return settings;
}

std::string GainTextFromCode(int code)
{
    return Format1(code * 0.5 - 12.0);
}

std::string GainTextFromPosition(int position)
{
    return Format1(12.0 - position * 0.5);
}

EqPageModel::EqPageModel(EepromConfig& config, Prompter& prompter)
    : config_(config), prompter_(prompter)
{
}

void EqPageModel::Create(const DeviceProfile* profile)
{
    controls_.Build(GetDialogTemplate(IDD_EQ_CONFIG));
    lastNumbers_.clear();
    created_ = true;

    Item(IDC_EQ_PRESET_SELECT).SetCurSel(0);
    for (int id : IDC_EQ_GAIN_SLIDERS) {
        Item(id).SetRange(0, kSliderMax);
    }
    Control& rates = Item(IDC_EQ_SAMPLE_RATE);
    rates.ResetContent();
    for (const SampleRateChoice& choice : SampleRateChoices) {
        rates.AddString(choice.text);
    }
    rates.SetCurSel(0);
    Item(IDC_EQ_BAND1_TITLE).SetText(kBand1Title);
    Item(IDC_EQ_BAND5_TITLE).SetText(kBand5Title);
    LoadFromImage(profile);
}

void EqPageModel::Destroy()
{
    created_ = false;
    controls_.Clear();
    lastNumbers_.clear();
}

Control& EqPageModel::Item(int id)
{
    return controls_.Item(id);
}

const Control& EqPageModel::Item(int id) const
{
    return controls_.Item(id);
}

int EqPageModel::SelectedPreset() const
{
    const Control& selector = Item(IDC_EQ_PRESET_SELECT);
    const std::string text = selector.GetItemText(selector.GetCurSel());
    if (text == "01") {
        return 1;
    }
    if (text == "10") {
        return 2;
    }
    if (text == "11") {
        return 3;
    }
    return 0;
}

void EqPageModel::SetFieldText(int id, const std::string& text)
{
    Item(id).SetText(text);
    if (const std::optional<int> value = ParseLeadingInteger(text)) {
        lastNumbers_[id] = *value;
    }
}

int EqPageModel::ReadInteger(int id)
{
    Control& field = Item(id);
    if (const std::optional<int> value = ParseLeadingInteger(field.Text())) {
        lastNumbers_[id] = *value;
        return *value;
    }
    const int previous = lastNumbers_[id];
    field.SetText(std::to_string(previous));
    return previous;
}

std::uint8_t EqPageModel::CompensationByte()
{
    const auto value = static_cast<std::uint32_t>(ReadInteger(IDC_EQ_COMPENSATION));
    return static_cast<std::uint8_t>(value * 4U);
}

std::uint8_t EqPageModel::GainCode(int band) const
{
    return static_cast<std::uint8_t>(kSliderMax - Item(IDC_EQ_GAIN_SLIDERS[band]).GetPos());
}

void EqPageModel::SetSlider(int band, int position)
{
    // Every move redraws the slider, and the redraw writes its gain text.
    Control& slider = Item(IDC_EQ_GAIN_SLIDERS[band]);
    slider.SetPos(position);
    Item(IDC_EQ_GAIN_TEXTS[band]).SetText(GainTextFromPosition(slider.GetPos()));
}

void EqPageModel::GateByProfile(bool hasEq)
{
    for (int group : {IDC_EQ_SETTING_GROUP, IDC_EQ_COEFFICIENT_GROUP, IDC_EQ_PRESET_GROUP}) {
        controls_.EnableGroupControls(group, hasEq);
    }
    for (int id : {IDC_EQ_RESET, IDC_EQ_PRESET_SELECT, IDC_EQ_APPLY}) {
        Item(id).Enable(hasEq);
    }
    for (int band = 0; band < 5; ++band) {
        for (int id : {IDC_EQ_GAIN_SLIDERS[band], IDC_EQ_GAIN_TEXTS[band], IDC_EQ_FREQUENCIES[band],
                       IDC_EQ_BANDWIDTHS[band]}) {
            Item(id).Enable(hasEq);
        }
    }
}

void EqPageModel::UpdateBandLabels()
{
    if (!created_) {
        return;
    }
    const bool trebleBass = Item(IDC_EQ_TREBLE_BASS).GetCurSel() != 0;
    Item(IDC_EQ_BAND1_TITLE).SetText(trebleBass ? kBassTitle : kBand1Title);
    Item(IDC_EQ_BAND5_TITLE).SetText(trebleBass ? kTrebleTitle : kBand5Title);
}

void EqPageModel::RefreshForMode()
{
    if (!created_) {
        return;
    }
    const int mode = state_.presetMode;
    const int preset = SelectedPreset();
    Item(IDC_EQ_MODE_CHIP_DEFAULT).SetCheck(mode == kChipDefaultMode);
    Item(IDC_EQ_MODE_USER_DEFINED).SetCheck(mode == kUserDefinedMode);
    Item(IDC_EQ_MODE_ONE_PRESET).SetCheck(mode == kOnePresetMode);

    if (mode == kUserDefinedMode) {
        Item(IDC_EQ_PRESET_SELECT).Enable(true);
    } else if (mode == kOnePresetMode) {
        Item(IDC_EQ_PRESET_SELECT).Enable(false);
    }
    Item(IDC_EQ_APPLY).Enable(mode != kChipDefaultMode);
    Item(IDC_EQ_TEST).Enable(mode != kChipDefaultMode);

    Control& trebleBass = Item(IDC_EQ_TREBLE_BASS);
    if (mode == kOnePresetMode) {
        if (!state_.eqDisabled) {
            trebleBass.Enable(true);
        }
    } else {
        trebleBass.SetCurSel(0);
        UpdateBandLabels();
        trebleBass.Enable(false);
    }

    const EqGainRow& gains = mode == kChipDefaultMode   ? ChipDefaultPresetGains[preset]
                             : mode == kUserDefinedMode ? state_.userPresetGains[preset]
                                                        : state_.onePresetGains;
    for (int band = 0; band < 5; ++band) {
        Item(IDC_EQ_GAIN_SLIDERS[band]).Enable(mode != kChipDefaultMode);
        Item(IDC_EQ_GAIN_TEXTS[band]).SetReadOnly(mode == kChipDefaultMode);
        Item(IDC_EQ_FREQUENCIES[band]).SetReadOnly(mode != kOnePresetMode);
        Item(IDC_EQ_BANDWIDTHS[band]).SetReadOnly(mode != kOnePresetMode);
        if (mode == kOnePresetMode) {
            SetFieldText(IDC_EQ_FREQUENCIES[band], std::to_string(state_.bandSettings[band][0]));
            SetFieldText(IDC_EQ_BANDWIDTHS[band], std::to_string(state_.bandSettings[band][1]));
        } else {
            SetFieldText(IDC_EQ_FREQUENCIES[band], DefaultBandSettings[band].frequency);
            SetFieldText(IDC_EQ_BANDWIDTHS[band], DefaultBandSettings[band].bandwidth);
        }
        SetSlider(band, kSliderMax - gains[band]);
    }
    Item(IDC_EQ_COMPENSATION).SetReadOnly(mode != kOnePresetMode);
    SetFieldText(IDC_EQ_COMPENSATION, CompensationText(gains[5]));

    for (int p = 0; p < 4; ++p) {
        if (mode == kOnePresetMode) {
            state_.presetTexts[p] = {};
        } else {
            state_.presetTexts[p] = PresetRowTexts(
                mode == kChipDefaultMode ? ChipDefaultPresetGains[p] : state_.userPresetGains[p]);
        }
    }
}

void EqPageModel::ShowPreset()
{
    if (!created_) {
        return;
    }
    const int preset = SelectedPreset();
    for (int band = 0; band < 5; ++band) {
        const std::string& text = state_.presetTexts[preset][band];
        Item(IDC_EQ_GAIN_TEXTS[band]).SetText(text);
        const std::optional<double> gain = ParseLeadingDecimal(text);
        const int position =
            gain ? PositionFromGain(*gain) : Item(IDC_EQ_GAIN_SLIDERS[band]).GetPos();
        SetSlider(band, position);
    }
    SetFieldText(IDC_EQ_COMPENSATION, state_.presetTexts[preset][5]);
}

void EqPageModel::ReadBoundFields()
{
    if (!created_) {
        return;
    }
    state_.eqDisabled = Item(IDC_EQ_DISABLE).IsChecked();
    for (int p = 0; p < 4; ++p) {
        for (int i = 0; i < 6; ++i) {
            state_.presetTexts[p][i] = Item(IDC_EQ_PRESET_GRID[p][i]).Text();
        }
    }
}

void EqPageModel::ShowBoundFields()
{
    if (!created_) {
        return;
    }
    Item(IDC_EQ_DISABLE).SetCheck(state_.eqDisabled);
    for (int p = 0; p < 4; ++p) {
        for (int i = 0; i < 6; ++i) {
            Item(IDC_EQ_PRESET_GRID[p][i]).SetText(state_.presetTexts[p][i]);
        }
    }
}

void EqPageModel::OnCommand(int id, Notify code)
{
    if (!created_) {
        return;
    }
    if (const int band = IndexOf(IDC_EQ_GAIN_SLIDERS, id); band >= 0) {
        if (code == Notify::Scroll) {
            SetSlider(band, Item(id).GetPos());
            ShowBoundFields();
        }
        return;
    }
    if (const int band = IndexOf(IDC_EQ_GAIN_TEXTS, id); band >= 0) {
        if (LeavesField(code)) {
            OnGainLeft(band);
        }
        return;
    }
    if (const int band = IndexOf(IDC_EQ_FREQUENCIES, id); band >= 0) {
        if (code == Notify::KillFocus) {
            OnBandFieldLeft(band);
        }
        return;
    }
    if (const int band = IndexOf(IDC_EQ_BANDWIDTHS, id); band >= 0) {
        if (code == Notify::KillFocus) {
            OnBandFieldLeft(band);
        }
        return;
    }
    switch (id) {
        case IDC_EQ_COMPENSATION:
            if (LeavesField(code)) {
                OnCompensationLeft();
            }
            break;
        case IDC_EQ_PRESET_SELECT:
            if (code == Notify::SelChange) {
                ReadBoundFields();
                ShowPreset();
                ShowBoundFields();
            }
            break;
        case IDC_EQ_TREBLE_BASS:
            if (code == Notify::SelChange) {
                UpdateBandLabels();
            }
            break;
        case IDC_EQ_DISABLE:
            if (code == Notify::Clicked) {
                OnDisableEq();
            }
            break;
        case IDC_EQ_MODE_CHIP_DEFAULT:
        case IDC_EQ_MODE_USER_DEFINED:
        case IDC_EQ_MODE_ONE_PRESET:
            if (code == Notify::Clicked) {
                ReadBoundFields();
                state_.presetMode = id == IDC_EQ_MODE_CHIP_DEFAULT   ? kChipDefaultMode
                                    : id == IDC_EQ_MODE_USER_DEFINED ? kUserDefinedMode
                                                                     : kOnePresetMode;
                RefreshForMode();
                ShowBoundFields();
            }
            break;
        case IDC_EQ_APPLY:
            if (code == Notify::Clicked) {
                ApplySettings();
            }
            break;
        case IDC_EQ_TEST:
            if (code == Notify::Clicked) {
                WriteLive();
            }
            break;
        case IDC_EQ_RESET:
            if (code == Notify::Clicked) {
                ResetPage();
            }
            break;
        default:
            break;
    }
}

void EqPageModel::OnGainLeft(int band)
{
    ReadBoundFields();
    const std::optional<double> gain = ParseLeadingDecimal(Item(IDC_EQ_GAIN_TEXTS[band]).Text());
    const int position = gain ? PositionFromGain(*gain) : Item(IDC_EQ_GAIN_SLIDERS[band]).GetPos();
    SetSlider(band, position);
    ShowBoundFields();
}

void EqPageModel::OnCompensationLeft()
{
    ReadBoundFields();
    SetFieldText(IDC_EQ_COMPENSATION, std::to_string(ReadInteger(IDC_EQ_COMPENSATION)));
    ShowBoundFields();
}

void EqPageModel::OnBandFieldLeft(int band)
{
    ReadBoundFields();
    const int frequency = ReadInteger(IDC_EQ_FREQUENCIES[band]);
    const int bandwidth = ReadInteger(IDC_EQ_BANDWIDTHS[band]);
    if (bandwidth >= frequency) {
        prompter_.MessageBox(kBandwidthMessages[band]);
        SetFieldText(IDC_EQ_FREQUENCIES[band], DefaultBandSettings[band].frequency);
        SetFieldText(IDC_EQ_BANDWIDTHS[band], DefaultBandSettings[band].bandwidth);
    }
}

void EqPageModel::OnDisableEq()
{
    ReadBoundFields();
    Control& rates = Item(IDC_EQ_SAMPLE_RATE);
    Control& trebleBass = Item(IDC_EQ_TREBLE_BASS);
    if (state_.eqDisabled) {
        if (rates.GetCount() == kAllRatesIndex) {
            rates.AddString(SampleRateChoices[kAllRatesIndex].text);
        }
        trebleBass.SetCurSel(0);
        UpdateBandLabels();
        trebleBass.Enable(false);
    } else {
        if (rates.GetCurSel() == kAllRatesIndex) {
            rates.SetCurSel(0);
        }
        rates.DeleteString(kAllRatesIndex);
        if (state_.presetMode == kOnePresetMode) {
            trebleBass.Enable(true);
        }
    }
}

void EqPageModel::ResetPage()
{
    if (!created_ || !prompter_.Question(kAskReset)) {
        return;
    }
    state_.eqDisabled = false;
    state_.userPresetGains = ChipDefaultPresetGains;
    state_.onePresetGains = kInitialOnePresetGains;
    state_.bandSettings = DefaultBandSettingValues();
    Control& rates = Item(IDC_EQ_SAMPLE_RATE);
    rates.SetCurSel(0);
    Item(IDC_EQ_MODE_CHIP_DEFAULT).SetCheck(true);
    Item(IDC_EQ_MODE_USER_DEFINED).SetCheck(false);
    Item(IDC_EQ_MODE_ONE_PRESET).SetCheck(false);
    state_.presetMode = kChipDefaultMode;
    if (rates.GetCurSel() == kAllRatesIndex) {
        rates.SetCurSel(0);
    }
    rates.DeleteString(kAllRatesIndex);
    RefreshForMode();
    ShowBoundFields();
}

}  // namespace tovrik
