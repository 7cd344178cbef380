// SPDX-License-Identifier: MIT
#pragma once

#include <array>

// Control ids of the EQ configuration page (dialog 142). Ids are per dialog,
// so some of these numbers stand for other controls on other pages.
namespace tovrik {

// Per band 1..5, in band order.
constexpr std::array<int, 5> IDC_EQ_GAIN_SLIDERS = {1109, 1110, 1111, 1112, 1113};
constexpr std::array<int, 5> IDC_EQ_GAIN_TEXTS = {1115, 1119, 1120, 1121, 1122};
constexpr std::array<int, 5> IDC_EQ_FREQUENCIES = {1116, 1118, 1124, 1126, 1128};
constexpr std::array<int, 5> IDC_EQ_BANDWIDTHS = {1117, 1123, 1125, 1127, 1129};

// Titles above bands 1 and 5; they read "Bass" and "Treble" with Treble/Bass on.
constexpr int IDC_EQ_BAND1_TITLE = 1167;
constexpr int IDC_EQ_BAND5_TITLE = 1168;

constexpr int IDC_EQ_SETTING_GROUP = 1176;
constexpr int IDC_EQ_DISABLE = 1135;
constexpr int IDC_EQ_TREBLE_BASS = 1160;
constexpr int IDC_EQ_SAMPLE_RATE = 1159;

constexpr int IDC_EQ_COEFFICIENT_GROUP = 1177;
constexpr int IDC_EQ_MODE_CHIP_DEFAULT = 1137;
constexpr int IDC_EQ_MODE_USER_DEFINED = 1133;
constexpr int IDC_EQ_MODE_ONE_PRESET = 1136;

constexpr int IDC_EQ_PRESET_GROUP = 1179;
constexpr int IDC_EQ_PRESET_SELECT = 1132;
constexpr int IDC_EQ_APPLY = 1134;
constexpr int IDC_EQ_RESET = 1131;
constexpr int IDC_EQ_TEST = 1157;
constexpr int IDC_EQ_COMPENSATION = 1158;

// The read-only grid of the four presets: per preset the gains of bands 1..5,
// then its compensation (the compensation column is hidden).
constexpr std::array<std::array<int, 6>, 4> IDC_EQ_PRESET_GRID = {{
    {1130, 1138, 1139, 1140, 1141, 1163},
    {1142, 1143, 1144, 1145, 1146, 1164},
    {1147, 1148, 1149, 1150, 1151, 1165},
    {1152, 1153, 1154, 1155, 1156, 1166},
}};

}  // namespace tovrik
