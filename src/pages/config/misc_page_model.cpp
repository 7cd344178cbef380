// SPDX-License-Identifier: MIT
#include "pages/config/misc_page_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "formats/device_profile.h"
#include "formats/hex_text.h"
#include "config/eeprom_config.h"

namespace tovrik {

const std::array<const char*, 4> TopologyNames = {"Headset with Line-In", "Headset", "Microphone",
                                                  "Speaker"};

// There is no input terminal type 0x23.
const std::array<TerminalType, 13> InputTerminalTypes = {{
    {0x00, ""},
    {0x20, "0x20 Input Undefined"},
    {0x21, "0x21 Microphone"},
    {0x22, "0x22 Desktop Microphone"},
    {0x24, "0x24 Omni-Dir Microphone"},
    {0x25, "0x25 Microphone Array"},
    {0x26, "0x26 Processing Mic Array"},
    {0x40, "0x40 Bi-Dir Undefined"},
    {0x41, "0x41 Handset"},
    {0x42, "0x42 Headset"},
    {0x43, "0x43 Speakerphone"},
    {0x44, "0x44 Echo-Suppressing Speakerphone"},
    {0x45, "0x45 Echo-Canceling Speakerphone"},
}};

const std::array<TerminalType, 15> OutputTerminalTypes = {{
    {0x00, ""},
    {0x30, "0x30 Output Undefined"},
    {0x31, "0x31 Speaker"},
    {0x32, "0x32 Headphones"},
    {0x33, "0x33 Head Mounted Display Audio"},
    {0x34, "0x34 Desktop speaker"},
    {0x35, "0x35 Room Speaker"},
    {0x36, "0x36 Communication Speaker"},
    {0x37, "0x37 Low Freq Effects Speaker"},
    {0x40, "0x40 Bi-Dir Undefined"},
    {0x41, "0x41 Handset"},
    {0x42, "0x42 Headset"},
    {0x43, "0x43 Speakerphone"},
    {0x44, "0x44 Echo-Suppressing Speakerphone"},
    {0x45, "0x45 Echo-Canceling Speakerphone"},
}};

const std::array<int, 4> BoostGainSteps = {0, 10, 20, 30};

namespace {

constexpr std::uint8_t kTopologyRegister = 0x04;
constexpr std::uint8_t kSelectorRegister = 0x06;
constexpr std::uint8_t kInputTerminalRegister = 0x07;
constexpr std::uint8_t kOutputTerminalRegister = 0x0D;
constexpr std::uint8_t kHighpassRegister = 0x39;
constexpr std::uint8_t kI2sRegister = 0x3F;
constexpr std::uint8_t kHidGpioRegister = 0x48;
constexpr std::uint8_t kClippingLedRegister = 0xF0;
constexpr std::uint8_t kClippingLedLevelRegister = 0x49;
constexpr std::uint8_t kThresholdLowRegister = 0xF4;
constexpr std::uint8_t kThresholdHighRegister = 0xF5;
constexpr std::uint8_t kFixedGainRegister = 0xF6;
constexpr std::uint8_t kLeftBoostRegister = 0x72;
constexpr std::uint8_t kRightBoostRegister = 0x73;
constexpr std::uint8_t kStereoMixerTerminalRegister = 0x9B;
constexpr std::uint8_t kOcRegister = 0x9C;

constexpr std::uint8_t kKeptTopologyBits = 0x04;  // the EQ page's Treble/Bass switch
constexpr std::uint8_t kSelectorForcedBit = 0x80;
constexpr std::uint8_t kClippingLedOn = 0x81;
constexpr std::uint8_t kClippingLedLevel = 0x10;
constexpr std::uint8_t kFixedGainMarker = 0x40;
constexpr std::uint8_t kBoostMarker = 0x40;
constexpr std::uint8_t kBoostIndexBits = 0x03;
constexpr std::uint8_t kTopologyDefault1C = 0x40;  // "Headset"

constexpr float kFullScale = 32768.0f;

// A list bound to a bit field of one of the option registers.
struct OptionBits {
    std::uint8_t reg;
    int MiscPageSelections::*selection;
    int shift;
    int mask;
};

constexpr OptionBits kOptionBits[] = {
    {kSelectorRegister, &MiscPageSelections::selectorForce, 5, 3},
    {kSelectorRegister, &MiscPageSelections::remoteWakeup, 2, 1},
    {kSelectorRegister, &MiscPageSelections::micOnlySelector, 1, 1},
    {kSelectorRegister, &MiscPageSelections::stereoMixer, 0, 1},
    {kHighpassRegister, &MiscPageSelections::adcHighpass, 4, 1},
    {kHighpassRegister, &MiscPageSelections::dacHighpass, 0, 1},
    {kI2sRegister, &MiscPageSelections::playbackDrive, 7, 1},
    {kI2sRegister, &MiscPageSelections::playbackFormat, 6, 1},
    {kI2sRegister, &MiscPageSelections::playbackMasterVolume, 5, 1},
    {kI2sRegister, &MiscPageSelections::playbackDsp, 3, 1},
    {kI2sRegister, &MiscPageSelections::recordingDrive, 2, 1},
    {kI2sRegister, &MiscPageSelections::recordingMasterVolume, 1, 1},
    {kI2sRegister, &MiscPageSelections::recordingMasterSlave, 0, 1},
    {kHidGpioRegister, &MiscPageSelections::hidGpioSwitch, 3, 1},
    {kHidGpioRegister, &MiscPageSelections::gpio0Wakeup, 1, 1},
    {kHidGpioRegister, &MiscPageSelections::hidSetReport, 0, 1},
    {kOcRegister, &MiscPageSelections::ocCompatible, 3, 1},
    {kOcRegister, &MiscPageSelections::ocMute, 1, 1},
    {kOcRegister, &MiscPageSelections::ocVolume, 0, 1},
};

// The option registers with the field that says whether each is written.
struct OptionRegister {
    std::uint8_t reg;
    int MiscPageFields::*flag;
};

constexpr OptionRegister kOptionRegisters[] = {
    {kSelectorRegister, &MiscPageFields::setReg06}, {kHighpassRegister, &MiscPageFields::setReg39},
    {kI2sRegister, &MiscPageFields::setReg3F},      {kHidGpioRegister, &MiscPageFields::setReg48},
    {kOcRegister, &MiscPageFields::setReg9C},
};

std::string Format1(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// The leading number of a text as "%f" reads it; 0 when there is none.
float ReadFloat(const std::string& text)
{
    return std::strtof(text.c_str(), nullptr);
}

// Truncation toward zero that stays defined for infinite, huge and NaN values.
int Truncate(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    constexpr double kLimit = 1.0e6;
    return static_cast<int>(std::clamp(value, -kLimit, kLimit));
}

// A field's bits from its list; a list without a selection keeps the bits the
// register already holds, so a value the list cannot show survives a save.
int FieldBits(int selection, std::uint8_t stored, int shift, int mask)
{
    if (selection < 0) {
        return (stored >> shift) & mask;
    }
    return selection & mask;
}

std::uint8_t PresentValue(const EepromConfig& config, std::uint8_t reg)
{
    return config.IsRegisterPresent(reg) != 0 ? config.GetRegisterValue(reg) : 0;
}

template <std::size_t N>
int FindTerminal(const std::array<TerminalType, N>& table, std::uint8_t code)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (table[i].code == code) {
            return static_cast<int>(i);
        }
    }
    return kNoSelection;
}

// The selected entry's code; a list without a selection leaves the register as loaded.
template <std::size_t N>
void StoreTerminal(EepromConfig& config, std::uint8_t reg, const std::array<TerminalType, N>& table,
                   int selection)
{
    if (selection < 0 || selection >= static_cast<int>(N)) {
        return;
    }
    if (selection == 0) {
        config.ClearRegister(reg);
    } else {
        config.SetRegisterValue(reg, table[static_cast<std::size_t>(selection)].code);
    }
}

int IndexOf(const std::vector<std::string>& items, const std::string& text)
{
    const auto it = std::find(items.begin(), items.end(), text);
    return it == items.end() ? kNoSelection : static_cast<int>(it - items.begin());
}

}  // namespace

std::string ThresholdTextFromRegister(std::uint16_t value)
{
    if (value == 0) {
        return kSilentThresholdText;
    }
    const float ratio = static_cast<float>(value) / kFullScale;
    const float db = 20.0f * std::log10(ratio);
    return Format1(db);
}

std::uint16_t ThresholdRegisterFromText(const std::string& text)
{
    const float t = ReadFloat(text);
    const float g = t / 20.0f;
    const float p = static_cast<float>(std::pow(10.0, static_cast<double>(g)));
    // -inf gives p = 0 and so the value 0 that the silent text stands for.
    const double v = static_cast<double>(p) * kFullScale + 0.5;
    const long long whole = v >= 0.0 && v < 1.0e9 ? static_cast<long long>(v) : 0;
    return static_cast<std::uint16_t>(whole & 0xFFFF);
}

std::string FixedGainTextFromRegister(std::uint8_t value)
{
    int steps = value & 0x3F;
    if ((steps & 0x20) != 0) {
        steps -= 0x40;
    }
    return Format1(steps * 1.5);
}

std::uint8_t FixedGainRegisterFromText(const std::string& text)
{
    const float f = ReadFloat(text);
    const int steps = Truncate(f * 2 / 3);
    return static_cast<std::uint8_t>((steps & 0x3F) | kFixedGainMarker);
}

int ThresholdPositionFromText(const std::string& text)
{
    const float t = ReadFloat(text);
    const int position = kThresholdSliderMax - Truncate(static_cast<double>(t) * -2);
    return std::clamp(position, 0, kThresholdSliderMax);
}

int FixedGainPositionFromText(const std::string& text)
{
    const float f = ReadFloat(text);
    return std::clamp(Truncate(f * 2 / 3), 0, kFixedGainSliderMax);
}

std::string ThresholdTextFromPosition(int position)
{
    return Format1(position * 0.5 - 10);
}

std::string FixedGainTextFromPosition(int position)
{
    return Format1(position * 1.5);
}

MiscPageModel::MiscPageModel() : topologyItems(TopologyNames.begin(), TopologyNames.end()) {}

void MiscPageModel::LoadFromImage(const EepromConfig& config)
{
    fields = MiscPageFields{};
    fields.setReg04 = config.IsRegisterPresent(kTopologyRegister);
    fields.setReg06 = config.IsRegisterPresent(kSelectorRegister);
    fields.setReg39 = config.IsRegisterPresent(kHighpassRegister);
    fields.setReg3F = config.IsRegisterPresent(kI2sRegister);
    fields.setReg48 = config.IsRegisterPresent(kHidGpioRegister);
    fields.setReg9C = config.IsRegisterPresent(kOcRegister);
    fields.setRegBoost = (config.IsRegisterPresent(kLeftBoostRegister) != 0 ||
                          config.IsRegisterPresent(kRightBoostRegister) != 0)
                             ? 1
                             : 0;

    if (config.IsRegisterPresent(kStereoMixerTerminalRegister) != 0) {
        char text[8];
        std::snprintf(text, sizeof text, "%02X",
                      config.GetRegisterValue(kStereoMixerTerminalRegister));
        fields.stereoMixerTerminalText = text;
    }
    if (config.IsRegisterPresent(kFixedGainRegister) != 0) {
        fields.fixedGainEnabled = 1;
        fields.fixedGainText =
            FixedGainTextFromRegister(config.GetRegisterValue(kFixedGainRegister));
    }
    // The high byte is taken as it is, present or not.
    if (config.IsRegisterPresent(kThresholdLowRegister) != 0) {
        fields.thresholdEnabled = 1;
        const auto value =
            static_cast<std::uint16_t>(config.GetRegisterValue(kThresholdHighRegister) * 256 +
                                       config.GetRegisterValue(kThresholdLowRegister));
        fields.thresholdText = ThresholdTextFromRegister(value);
    }
    if (config.IsRegisterPresent(kClippingLedRegister) != 0) {
        fields.clippingLed = (config.GetRegisterValue(kClippingLedRegister) >> 7) & 1;
    }
}

void MiscPageModel::FillControls(const EepromConfig& config, const DeviceProfile& profile)
{
    // Devices that cannot have a line input offer only the three other topologies.
    topologyItems.clear();
    if (profile.code == 0x1C || profile.code == 0x1F || profile.code == 0) {
        topologyItems.assign(TopologyNames.begin() + 1, TopologyNames.end());
        selections.topology = IndexOf(topologyItems, profile.typeName);
    } else {
        topologyItems.assign(TopologyNames.begin(), TopologyNames.end());
        selections.topology = kNoSelection;
    }

    const std::uint8_t code = config.GetDeviceCode();
    std::uint8_t w = 0x00;
    if (fields.setReg04 != 0) {
        w = config.GetRegisterValue(kTopologyRegister);
    } else if (code == 0x1C || code == 0) {
        w = kTopologyDefault1C;
    }
    const int named = IndexOf(topologyItems, TopologyNames[(w >> 6) & 3]);
    if (named != kNoSelection) {
        selections.topology = named;
    }
    // "Stereo" is the only recording channel setting; bit 4 set leaves no selection.
    selections.recordingChannels = ((w >> 4) & 1) == 0 ? 0 : kNoSelection;
    selections.agcInit = (w >> 3) & 1;
    selections.agcFeature = w & 1;

    for (const OptionBits& bits : kOptionBits) {
        bool present = false;
        for (const OptionRegister& r : kOptionRegisters) {
            if (r.reg == bits.reg) {
                present = fields.*(r.flag) != 0;
            }
        }
        std::uint8_t value = present ? config.GetRegisterValue(bits.reg) : 0;
        if (bits.reg == kSelectorRegister) {
            value &= static_cast<std::uint8_t>(~kSelectorForcedBit);
        }
        selections.*(bits.selection) = (value >> bits.shift) & bits.mask;
    }

    selections.inputTerminal =
        FindTerminal(InputTerminalTypes, PresentValue(config, kInputTerminalRegister));
    selections.outputTerminal =
        FindTerminal(OutputTerminalTypes, PresentValue(config, kOutputTerminalRegister));

    UpdateAgcControls();

    fixedGainPosition = FixedGainPositionFromText(fields.fixedGainText);
    thresholdPosition = ThresholdPositionFromText(fields.thresholdText);

    if (fields.setRegBoost != 0) {
        selections.leftBoost = config.GetRegisterValue(kLeftBoostRegister) & kBoostIndexBits;
        selections.rightBoost = config.GetRegisterValue(kRightBoostRegister) & kBoostIndexBits;
    } else {
        selections.leftBoost = 0;
        selections.rightBoost = 0;
    }
}

void MiscPageModel::StoreToImage(EepromConfig& config) const
{
    // Bit 2 belongs to the EQ page, which stores before this page.
    const std::uint8_t stored04 = PresentValue(config, kTopologyRegister);
    int topology = 0;
    if (selections.topology >= 0 && selections.topology < static_cast<int>(topologyItems.size())) {
        const std::string& text = topologyItems[static_cast<std::size_t>(selections.topology)];
        for (std::size_t i = 0; i < TopologyNames.size(); ++i) {
            if (text == TopologyNames[i]) {
                topology = static_cast<int>(i);
            }
        }
    }
    const int reg04 = (stored04 & kKeptTopologyBits) + topology * 0x40 +
                      FieldBits(selections.recordingChannels, stored04, 4, 1) * 0x10 +
                      FieldBits(selections.agcInit, stored04, 3, 1) * 0x08 +
                      FieldBits(selections.agcFeature, stored04, 0, 1);
    const int default04 = config.GetDeviceCode() == 0x1C ? kTopologyDefault1C : 0x00;
    if (reg04 == default04) {
        config.ClearRegister(kTopologyRegister);
    } else {
        config.SetRegisterValue(kTopologyRegister, static_cast<std::uint8_t>(reg04));
    }

    for (const OptionRegister& r : kOptionRegisters) {
        if (fields.*(r.flag) == 0) {
            config.ClearRegister(r.reg);
            continue;
        }
        const std::uint8_t stored = PresentValue(config, r.reg);
        int value = 0;
        for (const OptionBits& bits : kOptionBits) {
            if (bits.reg == r.reg) {
                value |= FieldBits(selections.*(bits.selection), stored, bits.shift, bits.mask)
                         << bits.shift;
            }
        }
        if (r.reg == kSelectorRegister && (value & 0x60) != 0) {
            value |= kSelectorForcedBit;
        }
        config.SetRegisterValue(r.reg, static_cast<std::uint8_t>(value));
    }

    const auto terminal =
        static_cast<std::uint8_t>(ParseHexText(fields.stereoMixerTerminalText) & 0xFF);
    if (terminal != 0) {
        config.SetRegisterValue(kStereoMixerTerminalRegister, terminal);
    } else {
        config.ClearRegister(kStereoMixerTerminalRegister);
    }

    StoreTerminal(config, kInputTerminalRegister, InputTerminalTypes, selections.inputTerminal);
    StoreTerminal(config, kOutputTerminalRegister, OutputTerminalTypes, selections.outputTerminal);

    if (fields.clippingLed != 0) {
        config.SetRegisterValue(kClippingLedRegister, kClippingLedOn);
        config.SetRegisterValue(kClippingLedLevelRegister, kClippingLedLevel);
    } else {
        config.ClearRegister(kClippingLedRegister);
        config.ClearRegister(kClippingLedLevelRegister);
    }

    if (fields.thresholdEnabled != 0) {
        const std::uint16_t v = ThresholdRegisterFromText(fields.thresholdText);
        config.SetRegisterValue(kThresholdLowRegister, static_cast<std::uint8_t>(v & 0xFF));
        config.SetRegisterValue(kThresholdHighRegister, static_cast<std::uint8_t>(v >> 8));
    } else {
        config.ClearRegister(kThresholdLowRegister);
        config.ClearRegister(kThresholdHighRegister);
    }

    if (fields.fixedGainEnabled != 0) {
        config.SetRegisterValue(kFixedGainRegister,
                                FixedGainRegisterFromText(fields.fixedGainText));
    } else {
        config.ClearRegister(kFixedGainRegister);
    }

    // Written every time: the other bits of the boost registers are kept.
    const std::pair<std::uint8_t, int> boosts[] = {{kLeftBoostRegister, selections.leftBoost},
                                                   {kRightBoostRegister, selections.rightBoost}};
    for (const auto& [reg, selection] : boosts) {
        const std::uint8_t stored = config.GetRegisterValue(reg);
        const int index = FieldBits(selection, stored, 0, kBoostIndexBits);
        config.SetRegisterValue(reg,
                                static_cast<std::uint8_t>((stored & 0xFC) | index | kBoostMarker));
    }
}

void MiscPageModel::UpdateAgcControls()
{
    const bool agcOn = selections.agcFeature == 1 || selections.agcInit == 1;
    if (fields.clippingLed != 0) {
        thresholdCheckEnabled = true;
        fixedGainCheckEnabled = agcOn;
        if (!agcOn) {
            fields.fixedGainEnabled = 0;
        }
        return;
    }
    thresholdCheckEnabled = agcOn;
    fixedGainCheckEnabled = agcOn;
    if (!agcOn) {
        fields.thresholdEnabled = 0;
        fields.fixedGainEnabled = 0;
    }
}

void MiscPageModel::OnThresholdSlider(int position)
{
    thresholdPosition = std::clamp(position, 0, kThresholdSliderMax);
    fields.thresholdText = ThresholdTextFromPosition(thresholdPosition);
}

void MiscPageModel::OnFixedGainSlider(int position)
{
    fixedGainPosition = std::clamp(position, 0, kFixedGainSliderMax);
    fields.fixedGainText = FixedGainTextFromPosition(fixedGainPosition);
}

void MiscPageModel::ResetPage(const EepromConfig& config, const DeviceProfile& profile)
{
    fields = MiscPageFields{};
    FillControls(config, profile);
    selections.inputTerminal = 0;
    selections.outputTerminal = 0;
}

}  // namespace tovrik
