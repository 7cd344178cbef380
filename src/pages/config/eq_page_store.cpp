// SPDX-License-Identifier: MIT
#include <cstdint>

#include "pages/config/eq_coefficients.h"
#include "pages/config/eq_page_model.h"
#include "pages/config/eq_page_registers.h"
#include "formats/device_profile.h"
#include "resources/eq_ids.h"

// The EQ page's exchange with the image and the chip: load, store and the
// live register writes. The page's reactions are in eq_page_model.cpp.
namespace tovrik {

using namespace eq_page;

void EqPageModel::LoadFromImage(const DeviceProfile* profile)
{
    const int hasEq = profile != nullptr ? profile->hasEq : 0;
    const std::uint8_t code = profile != nullptr ? profile->code : 0;
    if (created_) {
        GateByProfile(hasEq != 0);
    }
    if (config_.GetDeviceCode() == kNoEqImageCode) {
        return;
    }

    state_ = EqPageState{};
    if (config_.IsRegisterPresent(kCompensationRegister) &&
        (config_.GetRegisterValue(kCompensationRegister) & kEqDisabledBit) != 0) {
        state_.eqDisabled = true;
    }
    if (config_.IsRegisterPresent(EepromConfig::kEqPresetAddressRegister)) {
        state_.presetMode = kUserDefinedMode;
        config_.GetEqPresetGains(state_.userPresetGains);
    } else if (config_.IsRegisterPresent(EepromConfig::kEqBandRegister)) {
        state_.presetMode = kOnePresetMode;
        for (int i = 0; i < 6; ++i) {
            state_.onePresetGains[i] = config_.GetRegisterValue(
                static_cast<std::uint8_t>(EepromConfig::kEqGainRegister + i));
        }
        config_.GetEqBandSettings(state_.bandSettings);
    } else {
        state_.presetMode = (code & 0x1F) == 0x1F ? kOnePresetMode : kChipDefaultMode;
    }
    if (!created_) {
        return;
    }

    Control& rates = Item(IDC_EQ_SAMPLE_RATE);
    if (state_.eqDisabled) {
        Item(IDC_EQ_TREBLE_BASS).Enable(false);
        if (rates.GetCount() == kAllRatesIndex) {
            rates.AddString(SampleRateChoices[kAllRatesIndex].text);
        }
    } else {
        if (rates.GetCurSel() == kAllRatesIndex) {
            rates.SetCurSel(0);
        }
        rates.DeleteString(kAllRatesIndex);
    }

    const bool trebleBass = config_.IsRegisterPresent(kTrebleBassRegister) &&
                            (config_.GetRegisterValue(kTrebleBassRegister) & kTrebleBassBit) != 0;
    Item(IDC_EQ_TREBLE_BASS).SetCurSel(trebleBass ? 1 : 0);
    UpdateBandLabels();

    const int rateCode = config_.IsRegisterPresent(kSampleRateRegister)
                             ? config_.GetRegisterValue(kSampleRateRegister) >> 6
                             : kNotInImage;
    for (std::size_t index = 0; index < SampleRateChoices.size(); ++index) {
        if (SampleRateChoices[index].code == rateCode) {
            // Code 0 with the EQ on finds no entry in the shorter list: no selection.
            rates.SetCurSel(static_cast<int>(index));
            break;
        }
    }

    RefreshForMode();
    ShowBoundFields();
}

void EqPageModel::ApplySettings()
{
    if (!created_) {
        return;
    }
    if (state_.presetMode == kOnePresetMode) {
        for (int band = 0; band < 5; ++band) {
            state_.bandSettings[band][0] =
                static_cast<std::uint16_t>(ReadInteger(IDC_EQ_FREQUENCIES[band]));
            state_.bandSettings[band][1] =
                static_cast<std::uint16_t>(ReadInteger(IDC_EQ_BANDWIDTHS[band]));
            state_.onePresetGains[band] = GainCode(band);
        }
        state_.onePresetGains[5] = CompensationByte();
    } else if (state_.presetMode == kUserDefinedMode) {
        ReadBoundFields();
        const int preset = SelectedPreset();
        for (int band = 0; band < 5; ++band) {
            state_.presetTexts[preset][band] = Item(IDC_EQ_GAIN_TEXTS[band]).Text();
            state_.userPresetGains[preset][band] = GainCode(band);
        }
        state_.presetTexts[preset][5] = Item(IDC_EQ_COMPENSATION).Text();
        state_.userPresetGains[preset][5] = CompensationByte();
        ShowBoundFields();
    }
    WriteLive();
}

void EqPageModel::WriteLive()
{
    if (!created_) {
        return;
    }
    ReadBoundFields();
    // Live reports are fire and forget: the chip takes the image at its next start anyway.
    if (state_.presetMode == kOnePresetMode) {
        for (int band = 0; band < 5; ++band) {
            const int frequency = ReadInteger(IDC_EQ_FREQUENCIES[band]);
            const int bandwidth = ReadInteger(IDC_EQ_BANDWIDTHS[band]);
            const auto bytes =
                BandRegisterBytes(ComputeBandCoefficients(kSamplingRate, frequency, bandwidth));
            const int first = EepromConfig::kEqBandRegister + kBandRegisterStep * band;
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                config_.WriteRegisterReport(static_cast<std::uint8_t>(first + i), bytes[i]);
            }
            config_.WriteRegisterReport(
                static_cast<std::uint8_t>(EepromConfig::kEqGainRegister + band), GainCode(band));
        }
        config_.WriteRegisterReport(kCompensationRegister, CompensationByte());
    } else if (state_.presetMode == kUserDefinedMode) {
        for (int band = 0; band < 5; ++band) {
            config_.WriteRegisterReport(
                static_cast<std::uint8_t>(EepromConfig::kEqGainRegister + band), GainCode(band));
        }
        config_.WriteRegisterReport(kCompensationRegister, CompensationByte());
    }
}

bool EqPageModel::StoreToImage()
{
    if (config_.GetDeviceCode() == kNoEqImageCode || !created_) {
        return true;
    }
    ReadBoundFields();

    if (state_.presetMode == kOnePresetMode) {
        config_.ClearEqPresetGains();
        for (int band = 0; band < 5; ++band) {
            const int frequency = ReadInteger(IDC_EQ_FREQUENCIES[band]);
            const int bandwidth = ReadInteger(IDC_EQ_BANDWIDTHS[band]);
            state_.bandSettings[band][0] = static_cast<std::uint16_t>(frequency);
            state_.bandSettings[band][1] = static_cast<std::uint16_t>(bandwidth);
            const auto bytes =
                BandRegisterBytes(ComputeBandCoefficients(kSamplingRate, frequency, bandwidth));
            const int first = EepromConfig::kEqBandRegister + kBandRegisterStep * band;
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                config_.SetRegisterValue(static_cast<std::uint8_t>(first + i), bytes[i]);
            }
            const std::uint8_t gain = GainCode(band);
            config_.SetRegisterValue(
                static_cast<std::uint8_t>(EepromConfig::kEqGainRegister + band), gain);
            state_.onePresetGains[band] = gain;
        }
        const std::uint8_t compensation = CompensationByte();
        config_.SetRegisterValue(kCompensationRegister, compensation);
        state_.onePresetGains[5] = compensation;
        config_.SetEqBandSettings(state_.bandSettings);
    } else {
        if (state_.presetMode == kUserDefinedMode) {
            config_.SetEqPresetGains(state_.userPresetGains);
        } else {
            config_.ClearEqPresetGains();
        }
        for (int reg = EepromConfig::kEqFirstRegister; reg <= EepromConfig::kEqLastRegister;
             ++reg) {
            config_.ClearRegister(static_cast<std::uint8_t>(reg));
        }
    }

    const std::uint8_t compensation = config_.GetRegisterValue(kCompensationRegister);
    if (state_.eqDisabled) {
        config_.SetRegisterValue(kCompensationRegister, compensation | kEqDisabledBit);
    } else if (compensation == 0) {
        config_.ClearRegister(kCompensationRegister);
    }

    // No selection (an all-rates image with the EQ on) shows as the empty entry and is stored so.
    const int rateIndex = Item(IDC_EQ_SAMPLE_RATE).GetCurSel();
    if (rateIndex <= 0 || rateIndex >= static_cast<int>(SampleRateChoices.size())) {
        config_.ClearRegister(kSampleRateRegister);
    } else {
        config_.SetRegisterValue(kSampleRateRegister,
                                 static_cast<std::uint8_t>(SampleRateChoices[rateIndex].code << 6));
    }

    if (Item(IDC_EQ_TREBLE_BASS).GetCurSel() != 0) {
        const std::uint8_t base = config_.IsRegisterPresent(kTrebleBassRegister)
                                      ? config_.GetRegisterValue(kTrebleBassRegister)
                                      : kTrebleBassAbsentBase;
        config_.SetRegisterValue(kTrebleBassRegister, base | kTrebleBassBit);
    } else if (config_.IsRegisterPresent(kTrebleBassRegister)) {
        config_.SetRegisterValue(
            kTrebleBassRegister,
            static_cast<std::uint8_t>(config_.GetRegisterValue(kTrebleBassRegister) &
                                      ~kTrebleBassBit));
    } else {
        config_.ClearRegister(kTrebleBassRegister);
    }
    return true;
}

}  // namespace tovrik
