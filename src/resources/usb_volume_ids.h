// SPDX-License-Identifier: MIT
#pragma once

// Control ids of the USB and volume configuration pages. Ids are per dialog,
// so the same number may stand for different controls on different pages.
namespace tovrik {

// Reset button of both pages.
constexpr int IDC_PAGE_RESET = 1128;

// USB configuration page (dialog 107).
constexpr int IDC_USB_VID = 1016;
constexpr int IDC_USB_MANUFACTURER = 1017;
constexpr int IDC_USB_PID = 1018;
constexpr int IDC_USB_PRODUCT = 1019;
constexpr int IDC_USB_SERIAL = 1020;
constexpr int IDC_USB_UCQ = 1021;           // hidden
constexpr int IDC_USB_HID_INTERVAL = 1022;  // hidden
constexpr int IDC_USB_STRING_GROUP = 1104;

// Volume configuration page (dialog 143): the five groups with their range
// switch and minimum, maximum and initial lists.
constexpr int IDC_VOL_PLAYBACK_GROUP = 1175;
constexpr int IDC_VOL_PLAYBACK_SWITCH = 1119;
constexpr int IDC_VOL_PLAYBACK_MIN = 1118;
constexpr int IDC_VOL_PLAYBACK_MAX = 1117;
constexpr int IDC_VOL_PLAYBACK_INITIAL = 1019;
constexpr int IDC_VOL_PLAYBACK_MUTE = 1116;

constexpr int IDC_VOL_MIC_RECORD_GROUP = 1171;
constexpr int IDC_VOL_MIC_RECORD_SWITCH = 1120;
constexpr int IDC_VOL_MIC_RECORD_MIN = 1023;
constexpr int IDC_VOL_MIC_RECORD_MAX = 1022;
constexpr int IDC_VOL_MIC_RECORD_INITIAL = 1024;
constexpr int IDC_VOL_MIC_RECORD_MUTE = 1071;

constexpr int IDC_VOL_MIC_AA_GROUP = 1172;
constexpr int IDC_VOL_MIC_AA_SWITCH = 1121;
constexpr int IDC_VOL_MIC_AA_MIN = 1044;
constexpr int IDC_VOL_MIC_AA_MAX = 1043;
constexpr int IDC_VOL_MIC_AA_INITIAL = 1045;
constexpr int IDC_VOL_MIC_AA_MUTE = 1074;

constexpr int IDC_VOL_LINE_RECORD_GROUP = 1173;
constexpr int IDC_VOL_LINE_RECORD_SWITCH = 1122;
constexpr int IDC_VOL_LINE_RECORD_MIN = 1020;
constexpr int IDC_VOL_LINE_RECORD_MAX = 1017;
constexpr int IDC_VOL_LINE_RECORD_INITIAL = 1021;
constexpr int IDC_VOL_LINE_RECORD_MUTE = 1070;

constexpr int IDC_VOL_LINE_AA_GROUP = 1174;
constexpr int IDC_VOL_LINE_AA_SWITCH = 1123;
constexpr int IDC_VOL_LINE_AA_MIN = 1038;
constexpr int IDC_VOL_LINE_AA_MAX = 1037;
constexpr int IDC_VOL_LINE_AA_INITIAL = 1039;
constexpr int IDC_VOL_LINE_AA_MUTE = 1073;

// The hidden mixer-in group: three edits no operation uses, the mixer-in
// mute that carries its register bit, and the unbound SPDIF-In mute box.
constexpr int IDC_VOL_MIXER_MAX = 1028;
constexpr int IDC_VOL_MIXER_MIN = 1029;
constexpr int IDC_VOL_MIXER_INITIAL = 1030;
constexpr int IDC_VOL_MIXER_MUTE = 1072;
constexpr int IDC_VOL_SPDIF_MUTE = 1075;

}  // namespace tovrik
