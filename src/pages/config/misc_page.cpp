// SPDX-License-Identifier: MIT
#include "pages/config/misc_page.h"

#include "pages/page_context.h"
#include "config/eeprom_config.h"
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

CMiscPage::CMiscPage(PageContext& app) : CConfigPage(app, GetDialogTemplate(IDD_MISC_CONFIG)) {}

DeviceProfile CMiscPage::Profile()
{
    const DeviceProfile* profile = App().CurrentDeviceProfile();
    return profile != nullptr ? *profile : DeviceProfile{};
}

int CMiscPage::OnInitDialog()
{
    SetListItems(IDC_MISC_INPUT_TERMINAL, TerminalItems(InputTerminalTypes));
    SetListItems(IDC_MISC_OUTPUT_TERMINAL, TerminalItems(OutputTerminalTypes));
    model_.topologyItems.assign(TopologyNames.begin(), TopologyNames.end());
    model_.selections.topology = 0;
    SetListItems(IDC_MISC_TOPOLOGY, model_.topologyItems);
    if (Control* c = GetDlgItem(IDC_MISC_TOPOLOGY)) {
        c->SetCurSel(0);
    }
    if (Control* c = GetDlgItem(IDC_MISC_THRESHOLD_SLIDER)) {
        c->SetRange(0, kThresholdSliderMax);
    }
    if (Control* c = GetDlgItem(IDC_MISC_FIXED_GAIN_SLIDER)) {
        c->SetRange(0, kFixedGainSliderMax);
    }
    LoadFromImage();
    return 1;
}

void CMiscPage::DoDataExchange(DataExchange& dx)
{
    MiscPageFields& f = model_.fields;
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

    MiscPageSelections& s = model_.selections;
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
    dx.SliderPos(IDC_MISC_THRESHOLD_SLIDER, model_.thresholdPosition);
    dx.SliderPos(IDC_MISC_FIXED_GAIN_SLIDER, model_.fixedGainPosition);
}

void CMiscPage::SetListItems(int id, const std::vector<std::string>& items)
{
    Control* list = GetDlgItem(id);
    if (list == nullptr || list->Items() == items) {
        return;
    }
    list->ResetContent();
    for (const std::string& item : items) {
        list->AddString(item);
    }
}

void CMiscPage::ShowState()
{
    if (!IsWindow()) {
        return;
    }
    SetListItems(IDC_MISC_TOPOLOGY, model_.topologyItems);
    SetListItems(IDC_MISC_LEFT_BOOST, BoostItems());
    SetListItems(IDC_MISC_RIGHT_BOOST, BoostItems());
    EnableDlgItem(IDC_MISC_THRESHOLD_ENABLE, model_.thresholdCheckEnabled);
    EnableDlgItem(IDC_MISC_FIXED_GAIN_ENABLE, model_.fixedGainCheckEnabled);
    UpdateData(false);
}

void CMiscPage::LoadFromImage()
{
    const EepromConfig& config = App().Config();
    model_.LoadFromImage(config);
    if (IsWindow()) {
        model_.FillControls(config, Profile());
        ShowState();
    }
}

void CMiscPage::StoreToImage()
{
    // A page never shown leaves its registers exactly as loaded.
    if (!IsWindow()) {
        return;
    }
    if (UpdateData(true) == 0) {
        return;
    }
    model_.StoreToImage(App().Config());
}

void CMiscPage::UpdateAgcControls()
{
    if (!IsWindow() || UpdateData(true) == 0) {
        return;
    }
    model_.UpdateAgcControls();
    ShowState();
}

void CMiscPage::OnSliderMoved(int id)
{
    if (UpdateData(true) == 0) {
        return;
    }
    if (id == IDC_MISC_THRESHOLD_SLIDER) {
        model_.OnThresholdSlider(model_.thresholdPosition);
    } else {
        model_.OnFixedGainSlider(model_.fixedGainPosition);
    }
    ShowState();
}

void CMiscPage::ResetPage()
{
    if (!GetPrompter().Question(kAskReset)) {
        return;
    }
    model_.ResetPage(App().Config(), Profile());
    ShowState();
}

void CMiscPage::OnCommand(int id, Notify code)
{
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
