// SPDX-License-Identifier: MIT
#include "resources/dialog_templates.h"
#include "resources/eq_ids.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"

namespace tovrik {

using namespace templates;

namespace {

// Hidden controls of this page still take part in its logic, so unlike
// Hidden() they stay enabled.
ControlTemplate Invisible(ControlTemplate c)
{
    c.visible = false;
    return c;
}

// An edit that takes Enter and Tab itself to move on to the next field.
ControlTemplate EditEnter(int id, Rect rect)
{
    ControlTemplate c = Make(id, ControlKind::Edit, "", rect);
    c.takesEnterAndTab = true;
    return c;
}

ControlTemplate List(int id, Rect rect, std::vector<std::string> items)
{
    ControlTemplate c = Make(id, ControlKind::ComboBox, "", rect);
    c.items = std::move(items);
    return c;
}

// The band columns share their x positions with the preset grid below them.
constexpr int kColumnLeft = 72;
constexpr int kColumnStep = 42;
constexpr int kColumnWidth = 38;

Rect Column(int band, int top, int bottom)
{
    const int left = kColumnLeft + band * kColumnStep;
    return {left, top, left + kColumnWidth, bottom};
}

}  // namespace

DialogTemplate EqConfigTemplate()
{
    DialogTemplate d = Page(IDD_EQ_CONFIG, "EQ Config");
    auto& c = d.controls;

    // EQ related setting.
    c.push_back(
        Make(IDC_EQ_SETTING_GROUP, ControlKind::GroupBox, "EQ related setting", {5, 4, 185, 61}));
    c.push_back(Make(IDC_EQ_DISABLE, ControlKind::CheckBox, "Disable EQ", {12, 14, 90, 24}));
    c.push_back(Label("Treble/Bass:", {12, 30, 106, 38}));
    c.push_back(List(IDC_EQ_TREBLE_BASS, {108, 28, 180, 40}, {"Disable", "Enable"}));
    c.push_back(Label("Sampling Rate Supported:", {12, 45, 106, 53}));
    c.push_back(List(IDC_EQ_SAMPLE_RATE, {108, 43, 180, 55}, {}));

    // Coefficients setting: the three radios stand in one run.
    c.push_back(Make(IDC_EQ_COEFFICIENT_GROUP, ControlKind::GroupBox, "Coefficients setting",
                     {190, 4, 375, 61}));
    c.push_back(Make(IDC_EQ_MODE_CHIP_DEFAULT, ControlKind::RadioButton,
                     "Chip default 4-preset mode", {196, 12, 340, 21}));
    c.push_back(Make(IDC_EQ_MODE_USER_DEFINED, ControlKind::RadioButton,
                     "User defined 4-preset mode", {196, 23, 340, 32}));
    c.push_back(Make(IDC_EQ_MODE_ONE_PRESET, ControlKind::RadioButton, "One-preset mode",
                     {196, 42, 340, 51}));
    c.push_back(Label("(Only gains can be set)", {208, 32, 340, 40}));
    c.push_back(Label("(All coefficients can be set)", {208, 51, 360, 59}));

    // The five bands: title, gain slider, gain, central frequency and bandwidth.
    c.push_back(Label("12dB", {40, 76, 68, 84}));
    c.push_back(Label("-12dB", {40, 124, 68, 132}));
    c.push_back(Label("Gain", {5, 138, 28, 146}));
    c.push_back(Label("(dB)", {30, 138, 50, 146}));
    c.push_back(Label("Central Freq (Hz)", {5, 153, 70, 161}));
    c.push_back(Label("Bandwidth (Hz)", {5, 168, 70, 176}));
    for (int band = 0; band < 5; ++band) {
        const std::string title = "Band-" + std::to_string(band + 1);
        const int titleId = band == 0   ? IDC_EQ_BAND1_TITLE
                            : band == 4 ? IDC_EQ_BAND5_TITLE
                                        : kNoControlId;
        c.push_back(Make(titleId, ControlKind::Static, title, Column(band, 66, 74)));
        ControlTemplate slider = Make(IDC_EQ_GAIN_SLIDERS[band], ControlKind::Slider, "", {});
        const int left = kColumnLeft + band * kColumnStep + 12;
        slider.rect = {left, 76, left + 14, 132};
        slider.rangeMin = 0;
        slider.rangeMax = 48;
        c.push_back(slider);
        c.push_back(EditEnter(IDC_EQ_GAIN_TEXTS[band], Column(band, 136, 148)));
        c.push_back(Make(IDC_EQ_FREQUENCIES[band], ControlKind::Edit, "", Column(band, 151, 163)));
        c.push_back(Make(IDC_EQ_BANDWIDTHS[band], ControlKind::Edit, "", Column(band, 166, 178)));
    }

    // Preset select, with the page's buttons beside the bands.
    c.push_back(
        Make(IDC_EQ_PRESET_GROUP, ControlKind::GroupBox, "Preset select", {288, 64, 375, 112}));
    c.push_back(Label("[EQ1,EQ0]", {294, 76, 334, 84}));
    c.push_back(List(IDC_EQ_PRESET_SELECT, {336, 74, 370, 86}, {"00", "11", "01", "10"}));
    c.push_back(Make(IDC_EQ_APPLY, ControlKind::PushButton, "Apply", {306, 92, 358, 106}));
    c.push_back(Make(IDC_EQ_RESET, ControlKind::PushButton, "Reset", {306, 118, 358, 132}));
    c.push_back(
        Invisible(Make(IDC_EQ_TEST, ControlKind::PushButton, "Test", {306, 136, 358, 150})));
    c.push_back(Invisible(Label("Compensation Gain (0 - 7dB)", {288, 154, 375, 162})));
    c.push_back(Invisible(EditEnter(IDC_EQ_COMPENSATION, {306, 164, 358, 176})));

    // Gains of the four presets, rows in the order of the selector's entries.
    c.push_back(Make(kNoControlId, ControlKind::GroupBox, "Gains of four pre-settings mode",
                     {5, 182, 318, 246}));
    const int rowPresets[4] = {0, 3, 1, 2};
    const char* rowTitles[4] = {"Mode 00", "Mode 11", "Mode 01", "Mode 10"};
    for (int row = 0; row < 4; ++row) {
        const int top = 192 + row * 13;
        const int preset = rowPresets[row];
        c.push_back(Label(rowTitles[row], {12, top + 2, 60, top + 10}));
        for (int band = 0; band < 5; ++band) {
            c.push_back(ReadOnly(Make(IDC_EQ_PRESET_GRID[preset][band], ControlKind::Edit, "",
                                      Column(band, top, top + 11))));
        }
        c.push_back(Invisible(ReadOnly(Make(IDC_EQ_PRESET_GRID[preset][5], ControlKind::Edit, "",
                                            {282, top, 314, top + 11}))));
    }
    return d;
}

}  // namespace tovrik
