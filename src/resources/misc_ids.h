// SPDX-License-Identifier: MIT
#pragma once

// Control ids of the misc configuration page (dialog 144). Ids are per dialog,
// so the same number may stand for different controls on other pages.
namespace tovrik {

// "Set Register" check boxes (created hidden).
constexpr int IDC_MISC_SET_REG04 = 1119;
constexpr int IDC_MISC_SET_REG06 = 1120;
constexpr int IDC_MISC_SET_REG3F = 1121;
constexpr int IDC_MISC_SET_REG48 = 1123;
constexpr int IDC_MISC_SET_REG9C = 1124;
constexpr int IDC_MISC_SET_REG39 = 1126;

constexpr int IDC_MISC_STEREO_MIXER_TERMINAL = 1029;  // edit, hexadecimal
constexpr int IDC_MISC_CLIPPING_LED = 1125;

// Register 0x04.
constexpr int IDC_MISC_TOPOLOGY = 1127;
constexpr int IDC_MISC_RECORDING_CHANNELS = 1129;
constexpr int IDC_MISC_AGC_FEATURE = 1130;
constexpr int IDC_MISC_AGC_INIT = 1132;

// Not bound to any register.
constexpr int IDC_MISC_SPDIF_IN = 1128;

// Register 0x06.
constexpr int IDC_MISC_STEREO_MIXER = 1133;
constexpr int IDC_MISC_REMOTE_WAKEUP = 1134;
constexpr int IDC_MISC_MIC_ONLY_SELECTOR = 1135;
constexpr int IDC_MISC_SELECTOR_FORCE = 1136;

// Terminal types (registers 0x07 and 0x0D).
constexpr int IDC_MISC_INPUT_TERMINAL = 1137;
constexpr int IDC_MISC_OUTPUT_TERMINAL = 1138;

// Register 0x39.
constexpr int IDC_MISC_ADC_HIGHPASS = 1139;
constexpr int IDC_MISC_DAC_HIGHPASS = 1140;

// Register 0x3F.
constexpr int IDC_MISC_PLAYBACK_DRIVE = 1141;
constexpr int IDC_MISC_PLAYBACK_FORMAT = 1142;
constexpr int IDC_MISC_PLAYBACK_DSP = 1143;
constexpr int IDC_MISC_PLAYBACK_MASTER_VOLUME = 1144;
constexpr int IDC_MISC_RECORDING_MASTER_SLAVE = 1145;
constexpr int IDC_MISC_RECORDING_DRIVE = 1147;
constexpr int IDC_MISC_RECORDING_MASTER_VOLUME = 1148;

// Register 0x48.
constexpr int IDC_MISC_HID_GPIO_SWITCH = 1151;
constexpr int IDC_MISC_GPIO0_WAKEUP = 1152;
constexpr int IDC_MISC_HID_SET_REPORT = 1153;

// Register 0x9C.
constexpr int IDC_MISC_OC_COMPATIBLE = 1155;
constexpr int IDC_MISC_OC_MUTE = 1156;
constexpr int IDC_MISC_OC_VOLUME = 1157;

// AGC threshold and fixed gain.
constexpr int IDC_MISC_THRESHOLD_ENABLE = 1131;
constexpr int IDC_MISC_THRESHOLD_SLIDER = 1146;
constexpr int IDC_MISC_THRESHOLD_TEXT = 1154;
constexpr int IDC_MISC_FIXED_GAIN_ENABLE = 1159;
constexpr int IDC_MISC_FIXED_GAIN_SLIDER = 1150;
constexpr int IDC_MISC_FIXED_GAIN_TEXT = 1158;

// Boost gains (registers 0x72 and 0x73).
constexpr int IDC_MISC_LEFT_BOOST = 1181;
constexpr int IDC_MISC_RIGHT_BOOST = 1182;

constexpr int IDC_MISC_RESET = 1149;

}  // namespace tovrik
