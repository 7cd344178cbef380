// SPDX-License-Identifier: MIT
// The misc page's dialog template: what is shown, what only passes through, and the layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/dialog_templates.h"
#include "resources/misc_ids.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"

namespace tovrik {
namespace {

using Items = std::vector<std::string>;

const ControlTemplate* Find(const DialogTemplate& d, int id)
{
    for (const ControlTemplate& c : d.controls) {
        if (c.id == id) {
            return &c;
        }
    }
    return nullptr;
}

TEST(MiscTemplateTest, ShowsOnlyTheOptionsMeantToBeShown)
{
    const DialogTemplate& d = GetDialogTemplate(IDD_MISC_CONFIG);
    EXPECT_EQ(d.title, "Misc Config");
    const std::vector<int> shown = {
        IDC_MISC_TOPOLOGY,        IDC_MISC_RECORDING_CHANNELS, IDC_MISC_AGC_FEATURE,
        IDC_MISC_AGC_INIT,        IDC_MISC_THRESHOLD_ENABLE,   IDC_MISC_THRESHOLD_SLIDER,
        IDC_MISC_THRESHOLD_TEXT,  IDC_MISC_FIXED_GAIN_ENABLE,  IDC_MISC_FIXED_GAIN_SLIDER,
        IDC_MISC_FIXED_GAIN_TEXT, IDC_MISC_CLIPPING_LED,       IDC_MISC_LEFT_BOOST,
        IDC_MISC_RIGHT_BOOST,     IDC_MISC_OUTPUT_TERMINAL,    IDC_MISC_RESET};
    int hidden = 0;
    for (const ControlTemplate& c : d.controls) {
        if (c.id == kNoControlId) {
            continue;
        }
        const bool expectShown = std::find(shown.begin(), shown.end(), c.id) != shown.end();
        EXPECT_EQ(c.visible, expectShown) << c.id;
        EXPECT_EQ(c.enabled, expectShown) << c.id;
        hidden += expectShown ? 0 : 1;
    }
    // Six "Set Register" boxes, the stereo mixer terminal edit and 21 lists.
    EXPECT_EQ(hidden, 28);
    EXPECT_TRUE(Find(d, IDC_MISC_THRESHOLD_TEXT)->readOnly);
    EXPECT_TRUE(Find(d, IDC_MISC_FIXED_GAIN_TEXT)->readOnly);
    EXPECT_EQ(Find(d, IDC_MISC_STEREO_MIXER_TERMINAL)->limit, 2);
    EXPECT_EQ(Find(d, IDC_MISC_THRESHOLD_SLIDER)->rangeMax, 20);
    EXPECT_EQ(Find(d, IDC_MISC_FIXED_GAIN_SLIDER)->rangeMax, 10);
    EXPECT_EQ(Find(d, IDC_MISC_SELECTOR_FORCE)->items,
              (Items{"Not Force", "Microphonoe", "Line-In/Stereo Mixer", "SPDIF-In"}));
    // These three list "Enable" first, so their bit is 1 for "Disable".
    for (int id : {IDC_MISC_PLAYBACK_MASTER_VOLUME, IDC_MISC_RECORDING_MASTER_VOLUME,
                   IDC_MISC_HID_SET_REPORT}) {
        EXPECT_EQ(Find(d, id)->items, (Items{"Enable", "Disable"})) << id;
    }
}

TEST(MiscTemplateTest, ControlsLieInsideThePageWithoutOverlapping)
{
    const DialogTemplate& d = GetDialogTemplate(IDD_MISC_CONFIG);
    const Rect page = templates::kPageRect;
    for (std::size_t i = 0; i < d.controls.size(); ++i) {
        const ControlTemplate& a = d.controls[i];
        EXPECT_TRUE(a.rect.left >= page.left && a.rect.top >= page.top &&
                    a.rect.right <= page.right && a.rect.bottom <= page.bottom && !a.rect.IsEmpty())
            << a.id << " " << a.text;
        // Group boxes hold other controls; everything else stands alone.
        for (std::size_t j = i + 1; j < d.controls.size(); ++j) {
            const ControlTemplate& b = d.controls[j];
            if (a.kind != ControlKind::GroupBox && b.kind != ControlKind::GroupBox) {
                EXPECT_FALSE(a.rect.Intersects(b.rect))
                    << a.text << a.id << " / " << b.text << b.id;
            }
        }
    }
}

}  // namespace
}  // namespace tovrik
