// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "config/eeprom_config.h"
#include "pages/config_page_model.h"
#include "platform/control.h"
#include "platform/control_set.h"
#include "platform/dialog_template.h"

namespace tovrik {

class Prompter;
struct DeviceProfile;

// Gain codes of bands 1..5, then the compensation byte.
using EqGainRow = std::array<std::uint8_t, 6>;

// Gains of the chip's own four presets ("Mode 00" to "Mode 11").
constexpr EqPresetGains ChipDefaultPresetGains = {{
    {24, 24, 24, 24, 24, 28},
    {31, 23, 22, 22, 22, 28},
    {18, 23, 29, 29, 16, 28},
    {24, 26, 27, 18, 31, 28},
}};

constexpr EqGainRow kInitialOnePresetGains = {24, 24, 24, 24, 24, 28};

// Held as texts because they are also written into the frequency fields.
struct BandSettingTexts {
    const char* frequency;
    const char* bandwidth;
};
constexpr std::array<BandSettingTexts, 5> DefaultBandSettings = {{
    {"100", "70"},
    {"350", "210"},
    {"1000", "620"},
    {"3500", "2310"},
    {"13000", "5200"},
}};

// The entries of "Sampling Rate Supported:"; code is bits 7..6 of register
// 31, kNotInImage for the empty entry that leaves the register out.
struct SampleRateChoice {
    const char* text;
    int code;
};
constexpr int kNotInImage = 4;
constexpr std::array<SampleRateChoice, 5> SampleRateChoices = {{
    {"", kNotInImage},
    {"48K/44.1K Only", 3},
    {"48K Only", 2},
    {"44.1K Only", 1},
    {"All Sampling Rate", 0},
}};

enum EqPresetMode : int {
    kChipDefaultMode = 0,
    kUserDefinedMode = 1,
    kOnePresetMode = 2,
};

// DefaultBandSettings as numbers, in the layout of the image's band-settings block.
EqBandSettings DefaultBandSettingValues();

// What the EQ page keeps of its own between loads.
struct EqPageState {
    bool eqDisabled = false;
    int presetMode = kChipDefaultMode;
    EqGainRow onePresetGains = kInitialOnePresetGains;
    EqPresetGains userPresetGains = ChipDefaultPresetGains;
    EqBandSettings bandSettings = DefaultBandSettingValues();
    // The texts of the preset grid: per preset five gains and the compensation.
    std::array<std::array<std::string, 6>, 4> presetTexts{};
};

// The EQ configuration page without its window: the page state together with
// the state of the page's controls, and every operation and reaction of the
// page on them. The page mirrors these controls into its window and back, so
// the whole behaviour works, and is tested, without a window.
class EqPageModel : public ConfigPageModel {
public:
    // Live register reports go to `config`; messages and questions to `prompter`.
    EqPageModel(EepromConfig& config, Prompter& prompter);

    // The window's creation: fresh controls from the page's template, then the
    // page's initialisation, which loads from the image.
    void Create(const DeviceProfile* profile) override;
    // The window's end: controls are gone, the page state stays.
    void Destroy() override;
    bool IsCreated() const override { return created_; }

    // The controls in template order (empty while not created).
    std::vector<Control>& Controls() override { return controls_.All(); }
    const std::vector<Control>& Controls() const { return controls_.All(); }
    Control& Item(int id) override;
    const Control& Item(int id) const;

    const EqPageState& State() const { return state_; }

    // The page's operations. `profile` may be nullptr while no device is connected.
    void LoadFromImage(const DeviceProfile* profile) override;
    // Always true: the page refuses nothing it stores (and stores nothing while
    // not created or for an image of the device code without EQ).
    bool StoreToImage() override;
    void ResetPage();
    void ApplySettings();
    void WriteLive();
    void RefreshForMode();
    void ShowPreset();
    void UpdateBandLabels();

    // The bound fields (the "Disable EQ" flag and the preset grid) from and to the controls.
    void ReadBoundFields();
    void ShowBoundFields();

    // A notification of one of the page's controls.
    void OnCommand(int id, Notify code) override;

    // The preset the selector chooses by its text.
    int SelectedPreset() const;

private:
    void OnGainLeft(int band);
    void OnCompensationLeft();
    void OnBandFieldLeft(int band);
    void OnDisableEq();

    void GateByProfile(bool hasEq);
    void SetSlider(int band, int position);
    void SetFieldText(int id, const std::string& text);
    // The field as a leading decimal integer; a text that does not start with
    // one keeps (and shows again) the field's previous value.
    int ReadInteger(int id);
    std::uint8_t CompensationByte();
    std::uint8_t GainCode(int band) const;

    EepromConfig& config_;
    Prompter& prompter_;
    EqPageState state_;
    bool created_ = false;
    ControlSet controls_;
    std::map<int, int> lastNumbers_;
};

// "%.1f" of a gain in dB from a gain code and from a slider position.
std::string GainTextFromCode(int code);
std::string GainTextFromPosition(int position);

}  // namespace tovrik
