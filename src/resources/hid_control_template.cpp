// SPDX-License-Identifier: MIT
#include "resources/demo_ids.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"

namespace tovrik {

using namespace templates;
using K = ControlKind;

// "Read" of the register group is defined hidden.
DialogTemplate HidControlTemplate()
{
    DialogTemplate d = Page(IDD_HID_CONTROL, "HID Control");
    ControlTemplate hiddenRead =
        Make(IDC_HID_REG_READ, K::PushButton, "Read", {272, 165, 316, 179});
    hiddenRead.visible = false;
    d.controls = {
        Make(kNoControlId, K::GroupBox, "HID Output Report", {7, 7, 373, 40}),
        Limited(Make(IDC_HID_OUTPUT, K::Edit, "", {14, 20, 316, 32}), 255),
        Make(IDC_HID_SEND, K::PushButton, "Send", {322, 19, 366, 33}),
        Make(kNoControlId, K::GroupBox, "HID Input Report", {7, 44, 373, 150}),
        Make(IDC_HID_INPUT_LIST, K::ListBox, "", {14, 56, 316, 144}),
        Make(IDC_HID_CLEAR, K::PushButton, "Clear", {322, 56, 366, 70}),
        Make(kNoControlId, K::GroupBox, "Set Registers (HEX)", {7, 154, 373, 243}),
        Label("Address:", {14, 168, 46, 178}),
        Limited(Make(IDC_HID_REG_ADDRESS, K::Edit, "", {48, 166, 72, 178}), 2),
        Label("Length:", {80, 168, 108, 178}),
        Limited(Make(IDC_HID_REG_LENGTH, K::Edit, "", {110, 166, 134, 178}), 2),
        hiddenRead,
        Make(IDC_HID_REG_WRITE, K::PushButton, "Write", {322, 165, 366, 179}),
        Make(IDC_HID_REG_DATA, K::Edit, "", {14, 186, 366, 236}),
    };
    return d;
}

}  // namespace tovrik
