// SPDX-License-Identifier: MIT
#include "pages/config/misc_config_page_model.h"

#include <array>
#include <utility>

#include "config/eeprom_config.h"
#include "platform/dialog.h"
#include "platform/prompter.h"
#include "resources/dialog_templates.h"
#include "resources/misc_ids.h"
#include "resources/resource_ids.h"

namespace tovrik {

namespace {

constexpr const char* kAskReset = "All changes for Misc Config before save will be discarded !!!";

constexpr int kStereoMixerTerminalChars = 2;

std::vector<std::string> BoostItems()
{
    std::vector<std::string> items;
    for (int step : BoostGainSteps) {
        items.push_back(std::to_string(step));
    }
    return items;
}

template <std::size_t N>
std::vector<std::string> TerminalItems(const std::array<TerminalType, N>& table)
{
    std::vector<std::string> items;
    for (const TerminalType& type : table) {
        items.emplace_back(type.text);
    }
    return items;
}

}  // namespace

MiscConfigPageModel::MiscConfigPageModel(EepromConfig& config, Prompter& prompter)
    : config_(config), prompter_(prompter)
{
}

void MiscConfigPageModel::SetProfile(const DeviceProfile* profile)
{
    profile_ = profile != nullptr ? *profile : DeviceProfile{};
}

void MiscConfigPageModel::Create(const DeviceProfile* profile)
{
    controls_.Build(GetDialogTemplate(IDD_MISC_CONFIG));
    created_ = true;
    SetListItems(IDC_MISC_INPUT_TERMINAL, TerminalItems(InputTerminalTypes));
    SetListItems(IDC_MISC_OUTPUT_TERMINAL, TerminalItems(OutputTerminalTypes));
    values_.topologyItems.assign(TopologyNames.begin(), TopologyNames.end());
    values_.selections.topology = 0;
    SetListItems(IDC_MISC_TOPOLOGY, values_.topologyItems);
    Item(IDC_MISC_TOPOLOGY).SetCurSel(0);
    Item(IDC_MISC_THRESHOLD_SLIDER).SetRange(0, kThresholdSliderMax);
    Item(IDC_MISC_FIXED_GAIN_SLIDER).SetRange(0, kFixedGainSliderMax);
    LoadFromImage(profile);
}

void MiscConfigPageModel::Destroy()
{
    created_ = false;
    controls_.Clear();
}

bool MiscConfigPageModel::ExchangeFields(bool saving)
{
    DataExchange dx(controls_.All(), prompter_, saving);
    MiscPageFields& f = values_.fields;
    dx.Check(IDC_MISC_SET_REG04, f.setReg04);
    dx.Check(IDC_MISC_SET_REG06, f.setReg06);
    dx.Check(IDC_MISC_SET_REG39, f.setReg39);
    dx.Check(IDC_MISC_SET_REG3F, f.setReg3F);
    dx.Check(IDC_MISC_SET_REG48, f.setReg48);
    dx.Check(IDC_MISC_SET_REG9C, f.setReg9C);
    dx.Text(IDC_MISC_STEREO_MIXER_TERMINAL, f.stereoMixerTerminalText, kStereoMixerTerminalChars);
    dx.Check(IDC_MISC_CLIPPING_LED, f.clippingLed);
    dx.Text(IDC_MISC_FIXED_GAIN_TEXT, f.fixedGainText);
    dx.Text(IDC_MISC_THRESHOLD_TEXT, f.thresholdText);
    dx.Check(IDC_MISC_THRESHOLD_ENABLE, f.thresholdEnabled);
    dx.Check(IDC_MISC_FIXED_GAIN_ENABLE, f.fixedGainEnabled);

    MiscPageSelections& s = values_.selections;
    const std::pair<int, int*> lists[] = {
        {IDC_MISC_TOPOLOGY, &s.topology},
        {IDC_MISC_SPDIF_IN, &s.spdifIn},
        {IDC_MISC_RECORDING_CHANNELS, &s.recordingChannels},
        {IDC_MISC_AGC_FEATURE, &s.agcFeature},
        {IDC_MISC_AGC_INIT, &s.agcInit},
        {IDC_MISC_STEREO_MIXER, &s.stereoMixer},
        {IDC_MISC_REMOTE_WAKEUP, &s.remoteWakeup},
        {IDC_MISC_MIC_ONLY_SELECTOR, &s.micOnlySelector},
        {IDC_MISC_SELECTOR_FORCE, &s.selectorForce},
        {IDC_MISC_INPUT_TERMINAL, &s.inputTerminal},
        {IDC_MISC_OUTPUT_TERMINAL, &s.outputTerminal},
        {IDC_MISC_ADC_HIGHPASS, &s.adcHighpass},
        {IDC_MISC_DAC_HIGHPASS, &s.dacHighpass},
        {IDC_MISC_PLAYBACK_DRIVE, &s.playbackDrive},
        {IDC_MISC_PLAYBACK_FORMAT, &s.playbackFormat},
        {IDC_MISC_PLAYBACK_DSP, &s.playbackDsp},
        {IDC_MISC_PLAYBACK_MASTER_VOLUME, &s.playbackMasterVolume},
        {IDC_MISC_RECORDING_MASTER_SLAVE, &s.recordingMasterSlave},
        {IDC_MISC_RECORDING_DRIVE, &s.recordingDrive},
        {IDC_MISC_RECORDING_MASTER_VOLUME, &s.recordingMasterVolume},
        {IDC_MISC_HID_GPIO_SWITCH, &s.hidGpioSwitch},
        {IDC_MISC_GPIO0_WAKEUP, &s.gpio0Wakeup},
        {IDC_MISC_HID_SET_REPORT, &s.hidSetReport},
        {IDC_MISC_OC_COMPATIBLE, &s.ocCompatible},
        {IDC_MISC_OC_MUTE, &s.ocMute},
        {IDC_MISC_OC_VOLUME, &s.ocVolume},
        {IDC_MISC_LEFT_BOOST, &s.leftBoost},
        {IDC_MISC_RIGHT_BOOST, &s.rightBoost},
    };
    for (const auto& [id, selection] : lists) {
        dx.ListIndex(id, *selection);
    }
    dx.SliderPos(IDC_MISC_THRESHOLD_SLIDER, values_.thresholdPosition);
    dx.SliderPos(IDC_MISC_FIXED_GAIN_SLIDER, values_.fixedGainPosition);
    return !dx.Failed();
}

bool MiscConfigPageModel::ReadBoundFields()
{
    return ExchangeFields(true);
}

void MiscConfigPageModel::ShowBoundFields()
{
    ExchangeFields(false);
}

void MiscConfigPageModel::SetListItems(int id, const std::vector<std::string>& items)
{
    Control& list = Item(id);
    if (list.Id() != id || list.Items() == items) {
        return;
    }
    list.ResetContent();
    for (const std::string& item : items) {
        list.AddString(item);
    }
}

void MiscConfigPageModel::ShowState()
{
    if (!created_) {
        return;
    }
    SetListItems(IDC_MISC_TOPOLOGY, values_.topologyItems);
    SetListItems(IDC_MISC_LEFT_BOOST, BoostItems());
    SetListItems(IDC_MISC_RIGHT_BOOST, BoostItems());
    Item(IDC_MISC_THRESHOLD_ENABLE).Enable(values_.thresholdCheckEnabled);
    Item(IDC_MISC_FIXED_GAIN_ENABLE).Enable(values_.fixedGainCheckEnabled);
    ShowBoundFields();
}

void MiscConfigPageModel::LoadFromImage(const DeviceProfile* profile)
{
    SetProfile(profile);
    values_.LoadFromImage(config_);
    if (created_) {
        values_.FillControls(config_, profile_);
        ShowState();
    }
}

bool MiscConfigPageModel::StoreToImage()
{
    // A page never shown leaves its registers exactly as loaded.
    if (!created_) {
        return true;
    }
    if (!ReadBoundFields()) {
        return false;
    }
    values_.StoreToImage(config_);
    return true;
}

void MiscConfigPageModel::UpdateAgcControls()
{
    if (!created_ || !ReadBoundFields()) {
        return;
    }
    values_.UpdateAgcControls();
    ShowState();
}

void MiscConfigPageModel::OnSliderMoved(int id)
{
    if (!ReadBoundFields()) {
        return;
    }
    if (id == IDC_MISC_THRESHOLD_SLIDER) {
        values_.OnThresholdSlider(values_.thresholdPosition);
    } else {
        values_.OnFixedGainSlider(values_.fixedGainPosition);
    }
    ShowState();
}

void MiscConfigPageModel::ResetPage()
{
    if (!prompter_.Question(kAskReset)) {
        return;
    }
    values_.ResetPage(config_, profile_);
    ShowState();
}

void MiscConfigPageModel::OnCommand(int id, Notify code)
{
    if (!created_) {
        return;
    }
    switch (id) {
        case IDC_MISC_CLIPPING_LED:
        case IDC_MISC_SET_REG04:
            if (code == Notify::Clicked) {
                UpdateAgcControls();
            }
            break;
        case IDC_MISC_AGC_FEATURE:
        case IDC_MISC_AGC_INIT:
            if (code == Notify::SelChange) {
                UpdateAgcControls();
            }
            break;
        case IDC_MISC_THRESHOLD_SLIDER:
        case IDC_MISC_FIXED_GAIN_SLIDER:
            if (code == Notify::Scroll) {
                OnSliderMoved(id);
            }
            break;
        case IDC_MISC_RESET:
            if (code == Notify::Clicked) {
                ResetPage();
            }
            break;
        default:
            break;
    }
}

}  // namespace tovrik
