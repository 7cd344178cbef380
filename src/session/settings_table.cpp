// SPDX-License-Identifier: MIT
#include "session/settings_table.h"

#include <algorithm>
#include <cstdlib>

#include "platform/control.h"
#include "platform/dialog_template.h"
#include "platform/latin1_text.h"
#include "resources/dialog_templates.h"
#include "resources/eq_ids.h"
#include "resources/misc_ids.h"
#include "resources/resource_ids.h"
#include "resources/usb_volume_ids.h"

namespace tovrik {

namespace {

constexpr std::size_t kMaxStringChars = 31;
constexpr int kMaxInterval = 255;

// The short names the command line had for the USB page's fields.
struct Alias {
    const char* name;
    const char* key;
};
constexpr std::array<Alias, 7> kAliases = {{
    {"vid", "usb.vid"},
    {"pid", "usb.pid"},
    {"manufacturer", "usb.manufacturer"},
    {"product", "usb.product"},
    {"serial", "usb.serial"},
    {"ucq", "usb.ucq"},
    {"interval", "usb.interval"},
}};

constexpr std::array<int, kSettingsPageCount> kPageTemplates = {IDD_USB_CONFIG, IDD_VOLUME_CONFIG,
                                                                IDD_EQ_CONFIG, IDD_MISC_CONFIG};

// A label inside a group box, as the page shows it: the box's caption first.
std::string InGroup(int groupId, const char* label)
{
    for (const ControlTemplate& c : GetDialogTemplate(IDD_VOLUME_CONFIG).controls) {
        if (c.id == groupId) {
            return c.text + " / " + label;
        }
    }
    return label;
}

struct Row {
    SettingsPage page;
    const char* key;
    std::string label;
    int controlId;
    int sliderId = 0;
};

const std::vector<Row>& Rows()
{
    static const std::vector<Row> rows = {
        {kUsbPage, "usb.vid", "VID", IDC_USB_VID},
        {kUsbPage, "usb.pid", "PID", IDC_USB_PID},
        {kUsbPage, "usb.manufacturer", "Manufacturer String", IDC_VOL_LINE_RECORD_MAX},
        {kUsbPage, "usb.product", "Product String", IDC_VOL_PLAYBACK_INITIAL},
        {kUsbPage, "usb.serial", "Serial String", IDC_VOL_LINE_RECORD_MIN},
        {kUsbPage, "usb.ucq", "UCQ String", IDC_VOL_LINE_RECORD_INITIAL},
        {kUsbPage, "usb.interval", "HID interrupt Interval (ms)", IDC_VOL_MIC_RECORD_MAX},
        {kVolumePage, "volume.playback.range",
         InGroup(IDC_VOL_PLAYBACK_GROUP, "Set volume range and initial volume"),
         IDC_VOL_PLAYBACK_SWITCH},
        {kVolumePage, "volume.playback.mute", InGroup(IDC_VOL_PLAYBACK_GROUP, "Initial Mute"),
         IDC_VOL_PLAYBACK_MUTE},
        {kVolumePage, "volume.playback.min", InGroup(IDC_VOL_PLAYBACK_GROUP, "Minimum"),
         IDC_VOL_PLAYBACK_MIN},
        {kVolumePage, "volume.playback.max", InGroup(IDC_VOL_PLAYBACK_GROUP, "Maximum"),
         IDC_VOL_PLAYBACK_MAX},
        {kVolumePage, "volume.playback.initial", InGroup(IDC_VOL_PLAYBACK_GROUP, "Initial value"),
         IDC_VOL_PLAYBACK_INITIAL},
        {kVolumePage, "volume.mic_record.range",
         InGroup(IDC_VOL_MIC_RECORD_GROUP, "Set volume range and initial volume"),
         IDC_VOL_MIC_RECORD_SWITCH},
        {kVolumePage, "volume.mic_record.mute", InGroup(IDC_VOL_MIC_RECORD_GROUP, "Initial Mute"),
         IDC_VOL_MIC_RECORD_MUTE},
        {kVolumePage, "volume.mic_record.min", InGroup(IDC_VOL_MIC_RECORD_GROUP, "Minimum"),
         IDC_VOL_MIC_RECORD_MIN},
        {kVolumePage, "volume.mic_record.max", InGroup(IDC_VOL_MIC_RECORD_GROUP, "Maximum"),
         IDC_VOL_MIC_RECORD_MAX},
        {kVolumePage, "volume.mic_record.initial",
         InGroup(IDC_VOL_MIC_RECORD_GROUP, "Initial value"), IDC_VOL_MIC_RECORD_INITIAL},
        {kVolumePage, "volume.mic_aa.range",
         InGroup(IDC_VOL_MIC_AA_GROUP, "Set volume range and initial volume"),
         IDC_VOL_MIC_AA_SWITCH},
        {kVolumePage, "volume.mic_aa.mute", InGroup(IDC_VOL_MIC_AA_GROUP, "Initial Mute"),
         IDC_VOL_MIC_AA_MUTE},
        {kVolumePage, "volume.mic_aa.min", InGroup(IDC_VOL_MIC_AA_GROUP, "Minimum"),
         IDC_VOL_MIC_AA_MIN},
        {kVolumePage, "volume.mic_aa.max", InGroup(IDC_VOL_MIC_AA_GROUP, "Maximum"),
         IDC_VOL_MIC_AA_MAX},
        {kVolumePage, "volume.mic_aa.initial", InGroup(IDC_VOL_MIC_AA_GROUP, "Initial value"),
         IDC_VOL_MIC_AA_INITIAL},
        {kVolumePage, "volume.line_record.range",
         InGroup(IDC_VOL_LINE_RECORD_GROUP, "Set volume range and initial volume"),
         IDC_VOL_LINE_RECORD_SWITCH},
        {kVolumePage, "volume.line_record.mute", InGroup(IDC_VOL_LINE_RECORD_GROUP, "Initial Mute"),
         IDC_VOL_LINE_RECORD_MUTE},
        {kVolumePage, "volume.line_record.min", InGroup(IDC_VOL_LINE_RECORD_GROUP, "Minimum"),
         IDC_VOL_LINE_RECORD_MIN},
        {kVolumePage, "volume.line_record.max", InGroup(IDC_VOL_LINE_RECORD_GROUP, "Maximum"),
         IDC_VOL_LINE_RECORD_MAX},
        {kVolumePage, "volume.line_record.initial",
         InGroup(IDC_VOL_LINE_RECORD_GROUP, "Initial value"), IDC_VOL_LINE_RECORD_INITIAL},
        {kVolumePage, "volume.line_aa.range",
         InGroup(IDC_VOL_LINE_AA_GROUP, "Set volume range and initial volume"),
         IDC_VOL_LINE_AA_SWITCH},
        {kVolumePage, "volume.line_aa.mute", InGroup(IDC_VOL_LINE_AA_GROUP, "Initial Mute"),
         IDC_VOL_LINE_AA_MUTE},
        {kVolumePage, "volume.line_aa.min", InGroup(IDC_VOL_LINE_AA_GROUP, "Minimum"),
         IDC_VOL_LINE_AA_MIN},
        {kVolumePage, "volume.line_aa.max", InGroup(IDC_VOL_LINE_AA_GROUP, "Maximum"),
         IDC_VOL_LINE_AA_MAX},
        {kVolumePage, "volume.line_aa.initial", InGroup(IDC_VOL_LINE_AA_GROUP, "Initial value"),
         IDC_VOL_LINE_AA_INITIAL},
        {kVolumePage, "volume.mixer.mute",
         "Mixer-in Record Volume (Chip Default -6 ~ 20 dB. Init -3dB) / Initial Mute",
         IDC_VOL_MIXER_MUTE},
        {kVolumePage, "volume.spdif.mute", "SPDIF-In Initial Mute", IDC_VOL_SPDIF_MUTE},
        {kEqPage, "eq.disable", "Disable EQ", IDC_EQ_DISABLE},
        {kEqPage, "eq.treble_bass", "Treble/Bass", IDC_EQ_TREBLE_BASS},
        {kEqPage, "eq.sampling_rate", "Sampling Rate Supported", IDC_EQ_SAMPLE_RATE},
        {kEqPage, "eq.coefficients", "Coefficients setting", IDC_EQ_MODE_CHIP_DEFAULT},
        {kEqPage, "eq.band1.gain", "Band-1 Gain (dB)", IDC_EQ_GAIN_TEXTS[0]},
        {kEqPage, "eq.band1.frequency", "Band-1 Central Freq (Hz)", IDC_EQ_FREQUENCIES[0]},
        {kEqPage, "eq.band1.bandwidth", "Band-1 Bandwidth (Hz)", IDC_EQ_BANDWIDTHS[0]},
        {kEqPage, "eq.band2.gain", "Band-2 Gain (dB)", IDC_EQ_GAIN_TEXTS[1]},
        {kEqPage, "eq.band2.frequency", "Band-2 Central Freq (Hz)", IDC_EQ_FREQUENCIES[1]},
        {kEqPage, "eq.band2.bandwidth", "Band-2 Bandwidth (Hz)", IDC_EQ_BANDWIDTHS[1]},
        {kEqPage, "eq.band3.gain", "Band-3 Gain (dB)", IDC_EQ_GAIN_TEXTS[2]},
        {kEqPage, "eq.band3.frequency", "Band-3 Central Freq (Hz)", IDC_EQ_FREQUENCIES[2]},
        {kEqPage, "eq.band3.bandwidth", "Band-3 Bandwidth (Hz)", IDC_EQ_BANDWIDTHS[2]},
        {kEqPage, "eq.band4.gain", "Band-4 Gain (dB)", IDC_EQ_GAIN_TEXTS[3]},
        {kEqPage, "eq.band4.frequency", "Band-4 Central Freq (Hz)", IDC_EQ_FREQUENCIES[3]},
        {kEqPage, "eq.band4.bandwidth", "Band-4 Bandwidth (Hz)", IDC_EQ_BANDWIDTHS[3]},
        {kEqPage, "eq.band5.gain", "Band-5 Gain (dB)", IDC_EQ_GAIN_TEXTS[4]},
        {kEqPage, "eq.band5.frequency", "Band-5 Central Freq (Hz)", IDC_EQ_FREQUENCIES[4]},
        {kEqPage, "eq.band5.bandwidth", "Band-5 Bandwidth (Hz)", IDC_EQ_BANDWIDTHS[4]},
        {kEqPage, "eq.preset", "[EQ1,EQ0]", IDC_EQ_PRESET_SELECT},
        {kEqPage, "eq.compensation", "Compensation Gain (0 - 7dB)", IDC_EQ_COMPENSATION},
        {kEqPage, "eq.mode_00.band1", "Band-1 Mode 00", IDC_EQ_PRESET_GRID[0][0]},
        {kEqPage, "eq.mode_00.band2", "Band-2 Mode 00", IDC_EQ_PRESET_GRID[0][1]},
        {kEqPage, "eq.mode_00.band3", "Band-3 Mode 00", IDC_EQ_PRESET_GRID[0][2]},
        {kEqPage, "eq.mode_00.band4", "Band-4 Mode 00", IDC_EQ_PRESET_GRID[0][3]},
        {kEqPage, "eq.mode_00.band5", "Band-5 Mode 00", IDC_EQ_PRESET_GRID[0][4]},
        {kEqPage, "eq.mode_00.compensation", "Compensation Gain (0 - 7dB) Mode 00",
         IDC_EQ_PRESET_GRID[0][5]},
        {kEqPage, "eq.mode_11.band1", "Band-1 Mode 11", IDC_EQ_PRESET_GRID[3][0]},
        {kEqPage, "eq.mode_11.band2", "Band-2 Mode 11", IDC_EQ_PRESET_GRID[3][1]},
        {kEqPage, "eq.mode_11.band3", "Band-3 Mode 11", IDC_EQ_PRESET_GRID[3][2]},
        {kEqPage, "eq.mode_11.band4", "Band-4 Mode 11", IDC_EQ_PRESET_GRID[3][3]},
        {kEqPage, "eq.mode_11.band5", "Band-5 Mode 11", IDC_EQ_PRESET_GRID[3][4]},
        {kEqPage, "eq.mode_11.compensation", "Compensation Gain (0 - 7dB) Mode 11",
         IDC_EQ_PRESET_GRID[3][5]},
        {kEqPage, "eq.mode_01.band1", "Band-1 Mode 01", IDC_EQ_PRESET_GRID[1][0]},
        {kEqPage, "eq.mode_01.band2", "Band-2 Mode 01", IDC_EQ_PRESET_GRID[1][1]},
        {kEqPage, "eq.mode_01.band3", "Band-3 Mode 01", IDC_EQ_PRESET_GRID[1][2]},
        {kEqPage, "eq.mode_01.band4", "Band-4 Mode 01", IDC_EQ_PRESET_GRID[1][3]},
        {kEqPage, "eq.mode_01.band5", "Band-5 Mode 01", IDC_EQ_PRESET_GRID[1][4]},
        {kEqPage, "eq.mode_01.compensation", "Compensation Gain (0 - 7dB) Mode 01",
         IDC_EQ_PRESET_GRID[1][5]},
        {kEqPage, "eq.mode_10.band1", "Band-1 Mode 10", IDC_EQ_PRESET_GRID[2][0]},
        {kEqPage, "eq.mode_10.band2", "Band-2 Mode 10", IDC_EQ_PRESET_GRID[2][1]},
        {kEqPage, "eq.mode_10.band3", "Band-3 Mode 10", IDC_EQ_PRESET_GRID[2][2]},
        {kEqPage, "eq.mode_10.band4", "Band-4 Mode 10", IDC_EQ_PRESET_GRID[2][3]},
        {kEqPage, "eq.mode_10.band5", "Band-5 Mode 10", IDC_EQ_PRESET_GRID[2][4]},
        {kEqPage, "eq.mode_10.compensation", "Compensation Gain (0 - 7dB) Mode 10",
         IDC_EQ_PRESET_GRID[2][5]},
        {kMiscPage, "misc.topology", "Topology", IDC_MISC_TOPOLOGY},
        {kMiscPage, "misc.recording_channels", "Recording Channels", IDC_MISC_RECORDING_CHANNELS},
        {kMiscPage, "misc.agc_feature", "AGC Feature", IDC_MISC_AGC_FEATURE},
        {kMiscPage, "misc.agc_init", "AGC Init", IDC_MISC_AGC_INIT},
        {kMiscPage, "misc.threshold", "Threshold (-10 ~ 0dB)", IDC_MISC_THRESHOLD_ENABLE},
        {kMiscPage, "misc.threshold.value", "Threshold (-10 ~ 0dB) value", IDC_MISC_THRESHOLD_TEXT,
         IDC_MISC_THRESHOLD_SLIDER},
        {kMiscPage, "misc.fixed_gain", "Fixed Gain (0 ~ 15dB)", IDC_MISC_FIXED_GAIN_ENABLE},
        {kMiscPage, "misc.fixed_gain.value", "Fixed Gain (0 ~ 15dB) value",
         IDC_MISC_FIXED_GAIN_TEXT, IDC_MISC_FIXED_GAIN_SLIDER},
        {kMiscPage, "misc.left_boost", "Left Channel Boost Gain(dB)", IDC_MISC_LEFT_BOOST},
        {kMiscPage, "misc.right_boost", "Right Channel Boost Gain(dB)", IDC_MISC_RIGHT_BOOST},
        {kMiscPage, "misc.output_terminal", "Output Terminal Property", IDC_MISC_OUTPUT_TERMINAL},
        {kMiscPage, "misc.clipping_led", "Enable Clipping LED", IDC_MISC_CLIPPING_LED},
        {kMiscPage, "misc.set_register_04", "Set Register 0x04", IDC_MISC_SET_REG04},
        {kMiscPage, "misc.set_register_06", "Set Register 0x06", IDC_MISC_SET_REG06},
        {kMiscPage, "misc.set_register_39", "Set Register 0x39", IDC_MISC_SET_REG39},
        {kMiscPage, "misc.set_register_3f", "Set Register 0x3F", IDC_MISC_SET_REG3F},
        {kMiscPage, "misc.set_register_48", "Set Register 0x48", IDC_MISC_SET_REG48},
        {kMiscPage, "misc.set_register_9c", "Set Register 0x9C", IDC_MISC_SET_REG9C},
        {kMiscPage, "misc.stereo_mixer_terminal", "Stereo Mixer Terminal Type (HEX)",
         IDC_MISC_STEREO_MIXER_TERMINAL},
        {kMiscPage, "misc.spdif_in", "SPDIF-In", IDC_MISC_SPDIF_IN},
        {kMiscPage, "misc.stereo_mixer", "Stereo Mixer", IDC_MISC_STEREO_MIXER},
        {kMiscPage, "misc.remote_wakeup", "Remote Wakeup", IDC_MISC_REMOTE_WAKEUP},
        {kMiscPage, "misc.mic_only_selector", "Mic Only Feature Selector",
         IDC_MISC_MIC_ONLY_SELECTOR},
        {kMiscPage, "misc.selector_force", "Selector Force Setting", IDC_MISC_SELECTOR_FORCE},
        {kMiscPage, "misc.input_terminal", "IT Property", IDC_MISC_INPUT_TERMINAL},
        {kMiscPage, "misc.adc_highpass", "ADC Highpass Filter", IDC_MISC_ADC_HIGHPASS},
        {kMiscPage, "misc.dac_highpass", "DAC Highpass Filter", IDC_MISC_DAC_HIGHPASS},
        {kMiscPage, "misc.playback_drive", "Playback I2S Drive Strength", IDC_MISC_PLAYBACK_DRIVE},
        {kMiscPage, "misc.playback_format", "Playback I2S PCM Format", IDC_MISC_PLAYBACK_FORMAT},
        {kMiscPage, "misc.playback_dsp", "Playback DSP Mode", IDC_MISC_PLAYBACK_DSP},
        {kMiscPage, "misc.playback_master_volume", "Playback Master Volume Control",
         IDC_MISC_PLAYBACK_MASTER_VOLUME},
        {kMiscPage, "misc.recording_master_slave", "Recording I2S Master/Save",
         IDC_MISC_RECORDING_MASTER_SLAVE},
        {kMiscPage, "misc.recording_drive", "Recording I2S Drive Strength",
         IDC_MISC_RECORDING_DRIVE},
        {kMiscPage, "misc.recording_master_volume", "Recording Master Volume Control",
         IDC_MISC_RECORDING_MASTER_VOLUME},
        {kMiscPage, "misc.hid_gpio_switch", "HID/GPIO Pin Switch", IDC_MISC_HID_GPIO_SWITCH},
        {kMiscPage, "misc.gpio0_wakeup", "GPIO0 Remote Wakeup Pin", IDC_MISC_GPIO0_WAKEUP},
        {kMiscPage, "misc.hid_set_report", "Registers Written via HID Set Report",
         IDC_MISC_HID_SET_REPORT},
        {kMiscPage, "misc.oc_compatible", "OC Compatible", IDC_MISC_OC_COMPATIBLE},
        {kMiscPage, "misc.oc_mute", "OC Local Playback Mute Control", IDC_MISC_OC_MUTE},
        {kMiscPage, "misc.oc_volume", "OC Local Playback Volume Control", IDC_MISC_OC_VOLUME},
    };
    return rows;
}

std::string Clean(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == ':')) {
        text.pop_back();
    }
    return text;
}

// The run of radio buttons that starts at `first`, in template order.
std::vector<Control*> RadioRun(std::vector<Control>& controls, int first)
{
    std::vector<Control*> run;
    auto at = std::find_if(controls.begin(), controls.end(),
                           [first](const Control& c) { return c.Id() == first; });
    for (; at != controls.end() && at->Kind() == ControlKind::RadioButton; ++at) {
        run.push_back(&*at);
    }
    return run;
}

std::string ValueOf(ConfigPageModel& model, const SettingEntry& setting)
{
    if (!model.IsCreated()) {
        return {};
    }
    Control& c = model.Item(setting.controlId);
    switch (c.Kind()) {
        case ControlKind::Edit:
            return c.Text();
        case ControlKind::ComboBox:
        case ControlKind::ListBox:
            return c.GetItemText(c.GetCurSel());
        case ControlKind::CheckBox:
            return c.IsChecked() ? "on" : "off";
        case ControlKind::RadioButton:
            for (Control* button : RadioRun(model.Controls(), setting.controlId)) {
                if (button->IsChecked()) {
                    return Clean(button->Text());
                }
            }
            return "none";
        default:
            return {};
    }
}

std::string Quoted(const std::vector<std::string>& texts)
{
    std::string list;
    for (const std::string& text : texts) {
        list += (list.empty() ? "\"" : ", \"") + text + "\"";
    }
    return list;
}

bool IsHexDigits(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

// The rules of the USB page's fields in words, checked before the value is
// typed, so that the refusal says what the page would have done with it.
std::string UsbRefusal(const std::string& key, const std::string& value)
{
    if (value.empty()) {
        return {};
    }
    if (key == "usb.vid" || key == "usb.pid") {
        if (value.size() > 4 || !IsHexDigits(value)) {
            return "an id is 1 to 4 hexadecimal digits";
        }
    } else if (key == "usb.interval") {
        if (value.size() > 3 || value.find_first_not_of("0123456789") != std::string::npos ||
            std::atoi(value.c_str()) > kMaxInterval) {
            return "the interval is a whole number of milliseconds from 0 to 255";
        }
    } else {
        std::string bytes;
        std::string refused;
        if (!Utf8ToLatin1(value, bytes, refused)) {
            return refused + " cannot be stored in a USB string: only characters up to U+00FF can";
        }
        if (Utf8Length(value) > kMaxStringChars) {
            return "a string holds at most 31 characters, this one " +
                   std::to_string(Utf8Length(value));
        }
    }
    return {};
}

bool AssignEdit(ConfigPageModel& model, Control& field, const std::string& value, std::string& why)
{
    if (field.Limit() > 0 && Utf8Length(value) > static_cast<std::size_t>(field.Limit())) {
        why = "the field takes at most " + std::to_string(field.Limit()) + " characters";
        return false;
    }
    field.TypeText(value);
    model.OnCommand(field.Id(), Notify::Changed);
    model.OnCommand(field.Id(), Notify::KillFocus);
    if (field.Text() != value) {
        why = "the page does not take this value (it shows \"" + field.Text() + "\" instead)";
        return false;
    }
    return true;
}

// A read-only field that follows a slider: the first position that shows the value.
bool AssignBySlider(ConfigPageModel& model, Control& field, Control& slider,
                    const std::string& value, std::string& why)
{
    if (!slider.IsEnabled()) {
        why = "the page does not let it be changed now";
        return false;
    }
    const int before = slider.GetPos();
    std::vector<std::string> shown;
    for (int position = slider.RangeMin(); position <= slider.RangeMax(); ++position) {
        slider.SetPos(position);
        model.OnCommand(slider.Id(), Notify::Scroll);
        if (field.Text() == value) {
            return true;
        }
        shown.push_back(field.Text());
    }
    slider.SetPos(before);
    model.OnCommand(slider.Id(), Notify::Scroll);
    why = "one of " + Quoted(shown);
    return false;
}

}  // namespace

const std::vector<SettingEntry>& SettingsTable::Entries()
{
    static const std::vector<SettingEntry> entries = [] {
        std::vector<SettingEntry> all;
        for (const Row& row : Rows()) {
            all.push_back({row.page, row.key, row.label.c_str(), row.controlId, row.sliderId});
        }
        return all;
    }();
    return entries;
}

const SettingEntry* SettingsTable::Find(const std::string& key)
{
    std::string wanted = key;
    for (const Alias& alias : kAliases) {
        if (key == alias.name) {
            wanted = alias.key;
        }
    }
    for (const SettingEntry& setting : Entries()) {
        if (wanted == setting.key) {
            return &setting;
        }
    }
    return nullptr;
}

std::string SettingsTable::PageTitle(SettingsPage page)
{
    return GetDialogTemplate(kPageTemplates[static_cast<std::size_t>(page)]).title;
}

std::string SettingsTable::KindOf(const SettingEntry& setting)
{
    for (const ControlTemplate& c :
         GetDialogTemplate(kPageTemplates[static_cast<std::size_t>(setting.page)]).controls) {
        if (c.id != setting.controlId) {
            continue;
        }
        switch (c.kind) {
            case ControlKind::CheckBox:
                return "switch";
            case ControlKind::RadioButton:
                return "choice";
            case ControlKind::ComboBox:
            case ControlKind::ListBox:
                return "list";
            default:
                return "text";
        }
    }
    return "text";
}

std::vector<SettingValue> SettingsTable::Read() const
{
    std::vector<SettingValue> values;
    for (const SettingEntry& setting : Entries()) {
        ConfigPageModel& model = *models_[static_cast<std::size_t>(setting.page)];
        values.push_back({setting.key, PageTitle(setting.page), setting.label, KindOf(setting),
                          ValueOf(model, setting)});
    }
    return values;
}

bool SettingsTable::Refuse(const std::string& key, const std::string& value, const std::string& why,
                           std::string& error)
{
    error = key + "=" + value + ": " + why;
    if (takeMessages_) {
        for (const std::string& message : takeMessages_()) {
            error += "; the page says: " + message;
        }
    }
    return false;
}

bool SettingsTable::Assign(const std::string& key, const std::string& value, std::string& error)
{
    const SettingEntry* setting = Find(key);
    if (takeMessages_) {
        takeMessages_();
    }
    const auto refuse = [&](const std::string& why) { return Refuse(key, value, why, error); };
    if (setting == nullptr) {
        error = "unknown key " + key;
        return false;
    }
    ConfigPageModel& model = *models_[static_cast<std::size_t>(setting->page)];
    if (!model.IsCreated()) {
        return refuse("its page is not open");
    }
    if (setting->page == kUsbPage) {
        if (const std::string why = UsbRefusal(setting->key, value); !why.empty()) {
            return refuse(why);
        }
    }
    Control& control = model.Item(setting->controlId);
    const bool readOnly = control.Kind() == ControlKind::Edit && control.IsReadOnly();
    // A field the page keeps hidden (the UCQ string, say) still goes into
    // the image, so only a read-only one refuses typing; the hidden lists and
    // boxes of options the page loads and stores as they are stay disabled.
    const bool locked = control.Kind() == ControlKind::Edit ? readOnly : !control.IsEnabled();
    if (locked && setting->sliderId == 0) {
        return refuse("the page shows it but does not let it be changed now");
    }
    std::string why;
    switch (control.Kind()) {
        case ControlKind::Edit:
            if (readOnly) {
                if (!AssignBySlider(model, control, model.Item(setting->sliderId), value, why)) {
                    return refuse(why);
                }
            } else if (!AssignEdit(model, control, value, why)) {
                return refuse(why);
            }
            return true;
        case ControlKind::ComboBox:
        case ControlKind::ListBox: {
            const int index = control.FindStringExact(value);
            if (index == kListError || control.GetItemText(index) != value) {
                std::vector<std::string> items;
                for (int i = 0; i < control.GetCount(); ++i) {
                    items.push_back(control.GetItemText(i));
                }
                return refuse(items.empty() ? "the list is empty now" : "one of " + Quoted(items));
            }
            control.SetCurSel(index);
            model.OnCommand(control.Id(), Notify::SelChange);
            if (ValueOf(model, *setting) != value) {
                return refuse("the page does not keep this choice");
            }
            return true;
        }
        case ControlKind::CheckBox: {
            if (value != "on" && value != "off") {
                return refuse("on or off");
            }
            if (control.IsChecked() != (value == "on")) {
                control.SetCheck(value == "on");
                model.OnCommand(control.Id(), Notify::Clicked);
            }
            if (ValueOf(model, *setting) != value) {
                return refuse("the page does not let it be switched " + value + " now");
            }
            return true;
        }
        case ControlKind::RadioButton: {
            const std::vector<Control*> run = RadioRun(model.Controls(), setting->controlId);
            std::vector<std::string> texts;
            Control* chosen = nullptr;
            for (Control* button : run) {
                texts.push_back(Clean(button->Text()));
                if (texts.back() == value) {
                    chosen = button;
                }
            }
            if (chosen == nullptr) {
                return refuse("one of " + Quoted(texts));
            }
            if (!chosen->IsEnabled()) {
                return refuse("the page does not let it be chosen now");
            }
            for (Control* button : run) {
                button->SetCheck(button == chosen);
            }
            model.OnCommand(chosen->Id(), Notify::Clicked);
            return true;
        }
        default:
            return refuse("the page does not take a value here");
    }
}

std::vector<SettingChange> DiffSettings(const std::vector<SettingValue>& before,
                                        const std::vector<SettingValue>& after)
{
    std::vector<SettingChange> changes;
    const std::size_t common = std::min(before.size(), after.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (before[i].value != after[i].value) {
            changes.push_back(
                {before[i].key, before[i].page, before[i].label, before[i].value, after[i].value});
        }
    }
    return changes;
}

}  // namespace tovrik
