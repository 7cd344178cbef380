// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// The chip registers and image rules the EQ page's load, store and live
// writes share with its reactions.
namespace tovrik::eq_page {

// The device code whose images the page neither loads nor stores.
constexpr std::uint8_t kNoEqImageCode = 22;
constexpr int kSamplingRate = 48000;
constexpr std::uint8_t kTrebleBassRegister = 4;
constexpr std::uint8_t kTrebleBassBit = 0x04;
constexpr std::uint8_t kTrebleBassAbsentBase = 0x40;
constexpr std::uint8_t kSampleRateRegister = 31;
constexpr std::uint8_t kCompensationRegister = 165;
constexpr std::uint8_t kEqDisabledBit = 0x01;
constexpr int kBandRegisterStep = 12;

// The "All Sampling Rate" entry, offered only while the EQ is disabled.
constexpr int kAllRatesIndex = 4;

}  // namespace tovrik::eq_page
