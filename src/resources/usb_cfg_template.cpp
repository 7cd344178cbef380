// SPDX-License-Identifier: MIT
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"
#include "resources/usb_volume_ids.h"

namespace tovrik {

using namespace templates;
using K = ControlKind;

namespace {

constexpr int kIdChars = 4;
constexpr int kStringChars = 31;
constexpr int kIntervalChars = 3;

}  // namespace

// The UCQ string and the HID interval are hidden but still loaded, stored and reset.
DialogTemplate UsbConfigTemplate()
{
    DialogTemplate d = Page(IDD_USB_CONFIG, "USB Config");
    d.controls = {
        Make(kNoControlId, K::GroupBox, "ID", {7, 7, 373, 42}),
        Label("VID:", {16, 24, 36, 34}),
        Limited(Make(IDC_USB_VID, K::Edit, "", {40, 22, 80, 34}), kIdChars),
        Label("PID:", {100, 24, 120, 34}),
        Limited(Make(IDC_USB_PID, K::Edit, "", {124, 22, 164, 34}), kIdChars),
        Make(IDC_USB_STRING_GROUP, K::GroupBox, "String", {7, 50, 373, 122}),
        Label("Manufacturer String:", {16, 66, 100, 76}),
        Limited(Make(IDC_USB_MANUFACTURER, K::Edit, "", {104, 64, 364, 76}), kStringChars),
        Label("Product String:", {16, 84, 100, 94}),
        Limited(Make(IDC_USB_PRODUCT, K::Edit, "", {104, 82, 364, 94}), kStringChars),
        Label("Serial String:", {16, 102, 100, 112}),
        Limited(Make(IDC_USB_SERIAL, K::Edit, "", {104, 100, 364, 112}), kStringChars),
        Hidden(Label("UCQ String:", {16, 134, 100, 144})),
        Hidden(Limited(Make(IDC_USB_UCQ, K::Edit, "", {104, 132, 364, 144}), kStringChars)),
        Hidden(Label("HID interrupt Interval (ms):", {16, 152, 128, 162})),
        Hidden(
            Limited(Make(IDC_USB_HID_INTERVAL, K::Edit, "", {132, 150, 156, 162}), kIntervalChars)),
        Hidden(Label("(Default 2 ms)", {160, 152, 220, 162})),
        Make(IDC_PAGE_RESET, K::PushButton, "Reset", {7, 226, 67, 240}),
    };
    return d;
}

}  // namespace tovrik
