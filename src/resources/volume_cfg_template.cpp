// SPDX-License-Identifier: MIT
#include <string>

#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"
#include "resources/usb_volume_ids.h"

namespace tovrik {

using namespace templates;
using K = ControlKind;

namespace {

constexpr int kGroupHeight = 36;
constexpr int kGroupStep = 38;

struct GroupLayout {
    int groupId;
    const char* caption;
    int switchId;
    int minId;
    int maxId;
    int initialId;
    int muteId;
};

// Top to bottom, as the page shows the groups.
constexpr GroupLayout kGroups[] = {
    {IDC_VOL_PLAYBACK_GROUP,
     "Playback Volume (Chip default range: -40 ~ 0 dB. Initial value: -9dB)",
     IDC_VOL_PLAYBACK_SWITCH, IDC_VOL_PLAYBACK_MIN, IDC_VOL_PLAYBACK_MAX, IDC_VOL_PLAYBACK_INITIAL,
     IDC_VOL_PLAYBACK_MUTE},
    {IDC_VOL_MIC_RECORD_GROUP,
     "Mic-In Recording Volume (Chip default range: 0 ~ 45 dB. Initial value: 30dB)",
     IDC_VOL_MIC_RECORD_SWITCH, IDC_VOL_MIC_RECORD_MIN, IDC_VOL_MIC_RECORD_MAX,
     IDC_VOL_MIC_RECORD_INITIAL, IDC_VOL_MIC_RECORD_MUTE},
    {IDC_VOL_MIC_AA_GROUP, "Mic-In AA Volume (Chip default range: -10 ~ 22 dB. Initial value: 0dB)",
     IDC_VOL_MIC_AA_SWITCH, IDC_VOL_MIC_AA_MIN, IDC_VOL_MIC_AA_MAX, IDC_VOL_MIC_AA_INITIAL,
     IDC_VOL_MIC_AA_MUTE},
    {IDC_VOL_LINE_RECORD_GROUP,
     "Line-In Recording Volume (Chip default range: -12 ~ 12 dB. Initial value: -3dB)",
     IDC_VOL_LINE_RECORD_SWITCH, IDC_VOL_LINE_RECORD_MIN, IDC_VOL_LINE_RECORD_MAX,
     IDC_VOL_LINE_RECORD_INITIAL, IDC_VOL_LINE_RECORD_MUTE},
    {IDC_VOL_LINE_AA_GROUP,
     "Line-In AA Volume (Chip default range: -30 ~ 12 dB. Initial value: 0dB)",
     IDC_VOL_LINE_AA_SWITCH, IDC_VOL_LINE_AA_MIN, IDC_VOL_LINE_AA_MAX, IDC_VOL_LINE_AA_INITIAL,
     IDC_VOL_LINE_AA_MUTE},
};

// One group: the range switch and the mute on the first row, the three lists on the second.
void AddGroup(DialogTemplate& d, const GroupLayout& g, int top)
{
    d.controls.push_back(
        Make(g.groupId, K::GroupBox, g.caption, {7, top, 373, top + kGroupHeight}));
    d.controls.push_back(Make(g.switchId, K::CheckBox, "Set volume range and initial volume",
                              {14, top + 10, 174, top + 20}));
    d.controls.push_back(
        Make(g.muteId, K::CheckBox, "Initial Mute", {296, top + 10, 366, top + 20}));
    const int row = top + 21;
    const struct {
        const char* label;
        int id;
        int left;
        int labelWidth;
    } lists[] = {{"Minimum:", g.minId, 14, 36},
                 {"Maximum:", g.maxId, 122, 36},
                 {"Initial value:", g.initialId, 230, 60}};
    for (const auto& l : lists) {
        const int listLeft = l.left + l.labelWidth;
        d.controls.push_back(Label(l.label, {l.left, row + 2, listLeft - 2, row + 12}));
        d.controls.push_back(
            Disabled(Make(l.id, K::ComboBox, "", {listLeft, row, listLeft + 42, row + 12})));
        d.controls.push_back(Label("(dB)", {listLeft + 44, row + 2, listLeft + 62, row + 12}));
    }
}

}  // namespace

// The mixer-in group below the note is hidden with everything in it; only its
// mute box carries a register bit.
DialogTemplate VolumeConfigTemplate()
{
    DialogTemplate d = Page(IDD_VOLUME_CONFIG, "Volume Config");
    int top = 2;
    for (const GroupLayout& g : kGroups) {
        AddGroup(d, g, top);
        top += kGroupStep;
    }
    const int bottom = top;  // 192: below the last group
    d.controls.push_back(
        Make(IDC_PAGE_RESET, K::PushButton, "Reset", {7, bottom + 2, 57, bottom + 16}));
    d.controls.push_back(Label(
        "Due to limitation of Windows XP, the \"MAXIMUM\" and \"MINIMUM\" volume cannot be set "
        "as \"INITIAL\" value; moreover, the \"INITIAL MUTE\" function will be ineffective in "
        "Windows XP.",
        {64, bottom + 1, 373, bottom + 25}));

    const int hidden = bottom + 26;
    const int row = hidden + 10;
    const ControlTemplate mixer[] = {
        Make(kNoControlId, K::GroupBox,
             "Mixer-in Record Volume (Chip Default -6 ~ 20 dB. Init -3dB)", {7, hidden, 373, 249}),
        Make(IDC_VOL_MIXER_MIN, K::Edit, "", {14, row, 40, row + 12}),
        Label("(-12 ~ 45dB)", {42, row + 2, 90, row + 12}),
        Make(IDC_VOL_MIXER_MAX, K::Edit, "", {92, row, 118, row + 12}),
        Label("(-12 ~ 45dB)", {120, row + 2, 168, row + 12}),
        Make(IDC_VOL_MIXER_INITIAL, K::Edit, "", {170, row, 196, row + 12}),
        Label("(-12 ~ 33dB)", {198, row + 2, 246, row + 12}),
        Make(IDC_VOL_MIXER_MUTE, K::CheckBox, "Initial Mute", {248, row + 1, 294, row + 11}),
        Make(IDC_VOL_SPDIF_MUTE, K::CheckBox, "SPDIF-In Initial Mute",
             {296, row + 1, 370, row + 11}),
    };
    for (const ControlTemplate& c : mixer) {
        d.controls.push_back(Hidden(c));
    }
    return d;
}

}  // namespace tovrik
