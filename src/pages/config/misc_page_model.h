// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tovrik {

class EepromConfig;
struct DeviceProfile;

// The value lists of the misc page.

// Index = bits 7-6 of register 0x04.
extern const std::array<const char*, 4> TopologyNames;

struct TerminalType {
    std::uint8_t code;  // terminal class in the high nibble, subtype in the low one
    const char* text;
};
extern const std::array<TerminalType, 13> InputTerminalTypes;
extern const std::array<TerminalType, 15> OutputTerminalTypes;

// Left and right ADC boost gains in dB; the index is bits 1-0 of 0x72 / 0x73.
extern const std::array<int, 4> BoostGainSteps;

constexpr int kNoSelection = -1;
constexpr int kThresholdSliderMax = 20;  // -10.0 dB .. 0.0 dB in 0.5 dB steps
constexpr int kFixedGainSliderMax = 10;  // 0.0 dB .. 15.0 dB in 1.5 dB steps

// The text shown for a stored AGC threshold of 0, which has no finite dB value.
constexpr const char* kSilentThresholdText = "-inf";

// The number conversions of the page, each as the page does it.
// 20 x log10(value / 32768) in single precision, "%.1f"; kSilentThresholdText for 0.
std::string ThresholdTextFromRegister(std::uint16_t value);
// The text read with "%f" back into the 16-bit linear gain (0 for kSilentThresholdText).
std::uint16_t ThresholdRegisterFromText(const std::string& text);
// Bits 5-0 of 0xF6 as a 6-bit two's-complement count of 1.5 dB steps, "%.1f".
std::string FixedGainTextFromRegister(std::uint8_t value);
// The text as a count of 1.5 dB steps (truncated), with bit 6 set.
std::uint8_t FixedGainRegisterFromText(const std::string& text);
// Slider positions for the texts, clamped to the sliders' ranges.
int ThresholdPositionFromText(const std::string& text);
int FixedGainPositionFromText(const std::string& text);
// The texts the sliders show at a position.
std::string ThresholdTextFromPosition(int position);
std::string FixedGainTextFromPosition(int position);

// The page's own fields, in their order, with their defaults.
struct MiscPageFields {
    int setReg04 = 0;
    int setReg06 = 0;
    int setReg39 = 0;
    int setReg3F = 0;
    int setReg48 = 0;
    int setRegBoost = 0;
    int setReg9C = 0;
    std::string stereoMixerTerminalText;
    int clippingLed = 0;
    std::string fixedGainText = "0.0";
    std::string thresholdText = "0.0";
    int thresholdEnabled = 0;
    int fixedGainEnabled = 0;
};

// The selection of every list of the page (kNoSelection for none).
struct MiscPageSelections {
    int topology = 0;
    int spdifIn = kNoSelection;
    int recordingChannels = 0;
    int agcFeature = 0;
    int agcInit = 0;
    int stereoMixer = 0;
    int remoteWakeup = 0;
    int micOnlySelector = 0;
    int selectorForce = 0;
    int inputTerminal = 0;
    int outputTerminal = 0;
    int adcHighpass = 0;
    int dacHighpass = 0;
    int playbackDrive = 0;
    int playbackFormat = 0;
    int playbackDsp = 0;
    int playbackMasterVolume = 0;
    int recordingMasterSlave = 0;
    int recordingDrive = 0;
    int recordingMasterVolume = 0;
    int hidGpioSwitch = 0;
    int gpio0Wakeup = 0;
    int hidSetReport = 0;
    int ocCompatible = 0;
    int ocMute = 0;
    int ocVolume = 0;
    int leftBoost = 0;
    int rightBoost = 0;
};

// Everything the misc page shows, and the moves between it and the register
// map, without any window: the page's controls only show and edit this.
class MiscPageModel {
public:
    MiscPageModel();

    // Fields to their defaults, then from the registers present in the image.
    void LoadFromImage(const EepromConfig& config);
    // Lists, sliders and AGC check boxes from the fields, the image and the
    // connected device (an empty profile when none is connected).
    void FillControls(const EepromConfig& config, const DeviceProfile& profile);
    // Writes every field and selection into the register map.
    void StoreToImage(EepromConfig& config) const;
    // The rule that ties the AGC check boxes to the clipping LED and AGC switches.
    void UpdateAgcControls();
    // The sliders were moved: their texts follow the positions.
    void OnThresholdSlider(int position);
    void OnFixedGainSlider(int position);
    // Reset after the question was answered OK: defaults, and the empty
    // terminal types selected.
    void ResetPage(const EepromConfig& config, const DeviceProfile& profile);

    MiscPageFields fields;
    MiscPageSelections selections;
    // The Topology list depends on the device: three or four names.
    std::vector<std::string> topologyItems;
    int thresholdPosition = 0;
    int fixedGainPosition = 0;
    bool thresholdCheckEnabled = true;
    bool fixedGainCheckEnabled = true;
};

}  // namespace tovrik
