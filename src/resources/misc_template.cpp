// SPDX-License-Identifier: MIT
#include "resources/dialog_templates.h"
#include "resources/misc_ids.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"

namespace tovrik {

using namespace templates;
using K = ControlKind;

namespace {

constexpr int kStereoMixerTerminalChars = 2;

ControlTemplate List(int id, Rect rect, std::vector<std::string> items = {})
{
    ControlTemplate c = Make(id, K::ComboBox, "", rect);
    c.items = std::move(items);
    return c;
}

ControlTemplate Slider(int id, Rect rect, int maximum)
{
    ControlTemplate c = Make(id, K::Slider, "", rect);
    c.rangeMin = 0;
    c.rangeMax = maximum;
    return c;
}

// The options that still take part in load and store but are never shown lie
// in a grid of their own below the shown ones, four cells to a row.
class HiddenGrid {
public:
    explicit HiddenGrid(std::vector<ControlTemplate>& controls) : controls_(controls) {}

    void Check(int id, const std::string& text)
    {
        const Rect cell = Next();
        controls_.push_back(Hidden(
            Make(id, K::CheckBox, text, {cell.left, cell.top + 1, cell.right, cell.top + 11})));
    }

    void Labelled(const std::string& label, ControlTemplate control)
    {
        const Rect cell = Next();
        controls_.push_back(
            Hidden(Label(label, {cell.left, cell.top + 1, cell.left + 58, cell.top + 11})));
        control.rect = {cell.left + 60, cell.top, cell.right, cell.top + 11};
        controls_.push_back(Hidden(std::move(control)));
    }

private:
    Rect Next()
    {
        const int column = count_ % 4;
        const int row = count_ / 4;
        ++count_;
        const int left = 7 + column * 91;
        const int top = 156 + row * 12;
        return {left, top, left + 88, top + 12};
    }

    std::vector<ControlTemplate>& controls_;
    int count_ = 0;
};

}  // namespace

// Topology, the AGC lists, threshold and fixed gain, the boost gains, the
// output terminal type and the clipping LED are shown; every other option is
// created hidden and disabled.
DialogTemplate MiscConfigTemplate()
{
    const std::vector<std::string> disableEnable = {"Disable", "Enable"};
    const std::vector<std::string> enableDisable = {"Enable", "Disable"};
    const std::vector<std::string> weakStrong = {"Weak", "Strong"};

    DialogTemplate d = Page(IDD_MISC_CONFIG, "Misc Config");
    d.controls = {
        Label("Topology:", {7, 9, 67, 19}),
        List(IDC_MISC_TOPOLOGY, {70, 7, 187, 19}),
        Make(kNoControlId, K::GroupBox, "AGC Parameters", {7, 24, 187, 150}),
        Label("Recording Channels:", {14, 36, 84, 46}),
        List(IDC_MISC_RECORDING_CHANNELS, {88, 34, 180, 46}, {"Stereo"}),
        Label("AGC Feature:", {14, 50, 84, 60}),
        List(IDC_MISC_AGC_FEATURE, {88, 48, 180, 60}, disableEnable),
        Label("AGC Init:", {14, 64, 84, 74}),
        List(IDC_MISC_AGC_INIT, {88, 62, 180, 74}, {"Off", "On"}),
        Make(IDC_MISC_THRESHOLD_ENABLE, K::CheckBox, "Threshold (-10 ~ 0dB) :", {14, 79, 112, 89}),
        ReadOnly(Make(IDC_MISC_THRESHOLD_TEXT, K::Edit, "", {116, 78, 156, 89})),
        Slider(IDC_MISC_THRESHOLD_SLIDER, {14, 91, 180, 101}, 20),
        Label("-10dB", {14, 102, 44, 110}),
        Label("0dB", {164, 102, 180, 110}),
        Make(IDC_MISC_FIXED_GAIN_ENABLE, K::CheckBox,
             "Fixed Gain (0 ~ 15dB) :", {14, 113, 112, 123}),
        ReadOnly(Make(IDC_MISC_FIXED_GAIN_TEXT, K::Edit, "", {116, 112, 156, 123})),
        Slider(IDC_MISC_FIXED_GAIN_SLIDER, {14, 125, 180, 135}, 10),
        Label("0dB", {14, 136, 44, 144}),
        Label("15dB", {160, 136, 180, 144}),
        Make(kNoControlId, K::GroupBox, "ADC Parameters", {195, 7, 373, 58}),
        Label("Left Channel Boost Gain(dB)", {202, 22, 310, 32}),
        List(IDC_MISC_LEFT_BOOST, {314, 20, 366, 32}),
        Label("Right Channel Boost Gain(dB)", {202, 38, 310, 48}),
        List(IDC_MISC_RIGHT_BOOST, {314, 36, 366, 48}),
        Label("Output Terminal Property:", {195, 66, 300, 76}),
        List(IDC_MISC_OUTPUT_TERMINAL, {195, 78, 373, 90}),
        Make(IDC_MISC_CLIPPING_LED, K::CheckBox, "Enable Clipping LED", {195, 98, 300, 108}),
        Make(IDC_MISC_RESET, K::PushButton, "Reset", {313, 132, 373, 146}),
    };

    HiddenGrid hidden(d.controls);
    hidden.Check(IDC_MISC_SET_REG04, "Set Register 0x04");
    hidden.Check(IDC_MISC_SET_REG06, "Set Register 0x06");
    hidden.Check(IDC_MISC_SET_REG39, "Set Register 0x39");
    hidden.Check(IDC_MISC_SET_REG3F, "Set Register 0x3F");
    hidden.Check(IDC_MISC_SET_REG48, "Set Register 0x48");
    hidden.Check(IDC_MISC_SET_REG9C, "Set Register 0x9C");
    hidden.Labelled(
        "Stereo Mixer Terminal Type (HEX):",
        Limited(Make(IDC_MISC_STEREO_MIXER_TERMINAL, K::Edit, "", {}), kStereoMixerTerminalChars));
    hidden.Labelled("SPDIF-In:", List(IDC_MISC_SPDIF_IN, {}, disableEnable));
    hidden.Labelled("Stereo Mixer:", List(IDC_MISC_STEREO_MIXER, {}, disableEnable));
    hidden.Labelled("Remote Wakeup:", List(IDC_MISC_REMOTE_WAKEUP, {}, disableEnable));
    hidden.Labelled("Mic Only Feature Selector:",
                    List(IDC_MISC_MIC_ONLY_SELECTOR, {}, disableEnable));
    hidden.Labelled("Selector Force Setting:",
                    List(IDC_MISC_SELECTOR_FORCE, {},
                         {"Not Force", "Microphonoe", "Line-In/Stereo Mixer", "SPDIF-In"}));
    hidden.Labelled("IT Property:", List(IDC_MISC_INPUT_TERMINAL, {}));
    hidden.Labelled("ADC Highpass Filter:", List(IDC_MISC_ADC_HIGHPASS, {}, disableEnable));
    hidden.Labelled("DAC Highpass Filter:", List(IDC_MISC_DAC_HIGHPASS, {}, disableEnable));
    hidden.Labelled("Playback I2S Drive Strength:", List(IDC_MISC_PLAYBACK_DRIVE, {}, weakStrong));
    hidden.Labelled("Playback I2S PCM Format:",
                    List(IDC_MISC_PLAYBACK_FORMAT, {}, {"I2S", "Left-Justified"}));
    hidden.Labelled("Playback DSP Mode:", List(IDC_MISC_PLAYBACK_DSP, {}, disableEnable));
    hidden.Labelled("Playback Master Volume Control:",
                    List(IDC_MISC_PLAYBACK_MASTER_VOLUME, {}, enableDisable));
    hidden.Labelled("Recording I2S Master/Save:",
                    List(IDC_MISC_RECORDING_MASTER_SLAVE, {}, {"Master", "Slave"}));
    hidden.Labelled("Recording I2S Drive Strength:",
                    List(IDC_MISC_RECORDING_DRIVE, {}, weakStrong));
    hidden.Labelled("Recording Master Volume Control:",
                    List(IDC_MISC_RECORDING_MASTER_VOLUME, {}, enableDisable));
    hidden.Labelled("HID/GPIO Pin Switch:", List(IDC_MISC_HID_GPIO_SWITCH, {}, {"HID", "GPIO"}));
    hidden.Labelled("GPIO0 Remote Wakeup Pin:", List(IDC_MISC_GPIO0_WAKEUP, {}, disableEnable));
    hidden.Labelled("Registers Written via HID Set Report:",
                    List(IDC_MISC_HID_SET_REPORT, {}, enableDisable));
    hidden.Labelled("OC Compatible:", List(IDC_MISC_OC_COMPATIBLE, {}, disableEnable));
    hidden.Labelled("OC Local Playback Mute Control:", List(IDC_MISC_OC_MUTE, {}, disableEnable));
    hidden.Labelled("OC Local Playback Volume Control:",
                    List(IDC_MISC_OC_VOLUME, {}, disableEnable));
    return d;
}

}  // namespace tovrik
