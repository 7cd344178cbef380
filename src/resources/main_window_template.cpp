// SPDX-License-Identifier: MIT
// The main window and the about page.
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"
#include "resources/view_ids.h"

namespace tovrik {

using namespace templates;
using K = ControlKind;

DialogTemplate MainWindowTemplate()
{
    DialogTemplate d;
    d.id = IDD_MAIN;
    d.title = "Tovrik Configuration";
    d.rect = {0, 0, 470, 374};
    d.iconId = IDR_MAINFRAME;
    d.sheetArea = {7, 61, 393, 326};
    ControlTemplate configMode =
        Hidden(Make(IDC_MODE_CONFIG, K::RadioButton, "Configure EEPROM", {282, 12, 388, 22}));
    configMode.checked = true;
    d.controls = {
        Label("VID", {7, 9, 22, 19}),
        Limited(Make(IDC_VID, K::Edit, "", {24, 7, 54, 19}), 4),
        Label("PID", {60, 9, 75, 19}),
        Limited(Make(IDC_PID, K::Edit, "", {77, 7, 107, 19}), 4),
        Make(IDC_CONNECT, K::PushButton, "Connect", {113, 6, 163, 20}),
        Disabled(Make(IDC_SAVE_EEPROM, K::PushButton, "Save EEPROM", {7, 25, 67, 39})),
        Disabled(Make(IDC_ERASE, K::PushButton, "Erase", {71, 25, 111, 39})),
        Disabled(Make(IDC_REFRESH, K::PushButton, "Refresh", {115, 25, 163, 39})),
        Disabled(Make(IDC_EEPROM_TO_FILE, K::PushButton, "EEPROM -> FILE", {169, 6, 239, 20})),
        Disabled(Make(IDC_FILE_TO_EEPROM, K::PushButton, "FILE -> EEPROM", {169, 25, 239, 39})),
        Hidden(Make(IDC_MODE_FRAME, K::GroupBox, "", {276, 2, 393, 40})),
        configMode,
        Hidden(Make(IDC_MODE_DEMO, K::RadioButton, "Demo Features", {282, 25, 388, 35})),
        // The chips attached now, and below the pages the status line.
        Label("Chips:", {7, 46, 30, 56}),
        Make(IDC_DEVICE_LIST, K::ComboBox, "", {32, 44, 230, 56}),
        // What the pages' edits change against the chip, and the list of it.
        Disabled(Make(IDC_CHANGES, K::PushButton, "Changes...", {234, 43, 280, 57})),
        Make(IDC_CHANGES_COUNT, K::Static, "", {284, 46, 393, 56}),
        // A column of the views beside the window: the chip's backups, the session's
        // log and the production station.
        Disabled(Make(IDC_BACKUPS, K::PushButton, "Backups...", {400, 6, 463, 20})),
        Make(IDC_LOG, K::PushButton, "Log", {400, 25, 463, 39}),
        Make(IDC_STATION, K::PushButton, "Station...", {400, 43, 463, 57}),
        Make(IDC_STATUS_CHIP, K::Static, "No chip connected", {7, 329, 463, 339}),
        Make(IDC_STATUS_OPERATION, K::Static, "", {7, 340, 463, 350}),
        Make(IDC_STATUS_BACKUP, K::Static, "", {7, 351, 463, 361}),
        Make(IDC_STATUS_NOTE, K::Static, "", {7, 362, 463, 372}),
    };
    return d;
}

DialogTemplate AboutPageTemplate()
{
    DialogTemplate d = Page(IDD_ABOUT, "About");
    ControlTemplate icon = Label("", {20, 20, 41, 41});
    icon.iconId = IDR_MAINFRAME;
    d.controls = {icon, Label("TovrikConfig Version 2.0.1.2", {50, 26, 250, 36}),
                  Make(IDC_ABOUT_BACKUP, ControlKind::Static, "", {20, 70, 320, 110})};
    return d;
}

}  // namespace tovrik
