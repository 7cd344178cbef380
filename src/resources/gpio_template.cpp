// SPDX-License-Identifier: MIT
#include "resources/demo_ids.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"

namespace tovrik {

using namespace templates;
using K = ControlKind;

// The keypad group and the event watch switches are defined hidden and disabled.
DialogTemplate GpioTemplate()
{
    DialogTemplate d = Page(IDD_GPIO, "GPIO Control", true);
    d.controls = {
        Make(kNoControlId, K::GroupBox, "GPO Pins(Bit 0-15 = GPO 0-15)", {7, 7, 180, 92}),
        Label("Output/ Input\n(Out=1 In=0)", {14, 20, 82, 38}),
        Make(IDC_GPO_DIRECTION, K::Edit, "", {86, 23, 136, 35}),
        Label("Out Level\n(H=1 L=0)", {14, 44, 82, 62}),
        Make(IDC_GPO_LEVEL, K::Edit, "", {86, 47, 136, 59}),
        Make(IDC_GPO_SET, K::PushButton, "Set", {86, 70, 136, 84}),

        Hidden(Make(kNoControlId, K::GroupBox, "Martix Keypad", {190, 7, 373, 54})),
        Hidden(Label("OutPins,InPins\nBit0-15->GP1->GP15", {196, 18, 300, 36})),
        Hidden(Make(IDC_KEYPAD_OUT, K::Edit, "", {196, 38, 250, 50})),
        Hidden(Limited(Make(IDC_KEYPAD_IN, K::Edit, "", {254, 38, 300, 50}), 4)),
        Hidden(Make(IDC_KEYPAD_SCAN, K::PushButton, "Scan", {306, 37, 366, 51})),

        Hidden(Make(IDC_WATCH_FRAME, K::GroupBox, "Show Events On/Off", {190, 58, 373, 92})),
        Hidden(Make(IDC_WATCH_GENERIC, K::CheckBox, "Watch Generic Event", {196, 72, 280, 84})),
        Hidden(Make(IDC_WATCH_I2C, K::CheckBox, "Watch I2C Event", {284, 72, 368, 84})),

        Make(IDC_EVENT_LIST, K::ListBox, "", {7, 98, 373, 224}),
        Make(IDC_EVENT_CLEAR, K::PushButton, "Clear", {313, 229, 373, 243}),
    };
    return d;
}

}  // namespace tovrik
