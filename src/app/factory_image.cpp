// SPDX-License-Identifier: MIT
#include "app/factory_image.h"

#include "config/eeprom_config.h"
#include "device/sim/simulated_device.h"
#include "platform/prompter.h"

namespace tovrik {

namespace {

struct RegisterSetting {
    std::uint8_t reg;
    std::uint8_t value;
};

// Ids 1209:0001, the ids the chip also answers to without an image; volume ranges as range words (low byte 0, high byte the
// level in dB or the recording gain code); initial levels with their mutes.
constexpr RegisterSetting kFactoryRegisters[] = {
    {0, 0x09}, {1, 0x12}, {2, 0x01}, {3, 0x00},  // vendor and product id
    {10, 0x10},                                  // playback initial -9 dB
    {11, 0x0E},                                  // mic-in recording initial 30.0 dB
    {12, 0xE0},                                  // mic-in AA 0 dB, AA mutes on
    {19, 0x00}, {20, 0x22},                      // mic-in recording max 45.0 dB
    {21, 0x00}, {22, 0x00},                      // mic-in recording min 0.0 dB
    {23, 0x00}, {24, 0x16},                      // mic-in AA max 22 dB
    {25, 0x00}, {26, 0xF6},                      // mic-in AA min -10 dB
    {31, 0xC0},                                  // 48K/44.1K only
    {87, 0x00}, {88, 0x00},                      // playback max 0 dB
    {89, 0x00}, {90, 0xD8},                      // playback min -40 dB
    {158, 0x04},                                 // HID interval
    {165, 0x1C},                                 // EQ on, compensation 7 dB
};

constexpr EqPresetGains kFactoryPresets = {{
    {24, 24, 24, 24, 24, 28},  // flat
    {32, 27, 23, 24, 28, 24},  // bass and presence
    {20, 24, 28, 28, 22, 28},  // voice
    {30, 25, 22, 25, 32, 20},  // loudness
}};

constexpr EqBandSettings kFactoryBands = {{
    {100, 70}, {350, 210}, {1000, 620}, {3500, 2310}, {13000, 5200}}};

}  // namespace

void ApplyFactoryConfiguration(EepromConfig& config)
{
    for (const RegisterSetting& s : kFactoryRegisters) {
        config.SetRegisterValue(s.reg, s.value);
    }
    config.SetString(0, "Tovrik Audio");
    config.SetString(1, "Tovrik USB Headset");
    config.SetString(2, "TK23-000001");
    config.SetString(3, "TK23 UCQ");
    config.SetEqPresetGains(kFactoryPresets);
    config.SetEqBandSettings(kFactoryBands);
}

std::vector<std::uint8_t> FactoryEepromImage()
{
    SimulatedDevice device;
    if (device.Start() == 0) {
        return {};
    }
    SilentPrompter prompter;
    EepromConfig config(device.Library(), prompter);
    ApplyFactoryConfiguration(config);
    if (config.SaveToEeprom() == 0) {
        return {};
    }
    device.Library().rmDeviceClose();
    std::vector<std::uint8_t> image = device.Chip().Eeprom();
    image.resize(EepromConfig::kImageSize);
    return image;
}

SimulatedChipOptions FactoryChipOptions()
{
    SimulatedChipOptions options;
    options.eepromSize = EepromConfig::kImageSize;
    options.initialEeprom = FactoryEepromImage();
    return options;
}

}  // namespace tovrik
