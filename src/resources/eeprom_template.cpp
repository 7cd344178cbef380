// SPDX-License-Identifier: MIT
#include "resources/demo_ids.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"

namespace tovrik {

using namespace templates;
using K = ControlKind;

// The size list is created disabled and nothing enables it.
DialogTemplate EepromTemplate()
{
    DialogTemplate d = Page(IDD_EEPROM, "EEPROM", true);
    ControlTemplate sizes = Disabled(Make(IDC_EEPROM_SIZE, K::ComboBox, "", {7, 7, 127, 19}));
    sizes.items = {"24C02 ->  256 bytes", "24C04 ->  512 bytes", "24C08 ->  1024 bytes",
                   "24C16 ->  2048 bytes"};
    ControlTemplate data = MultiLine(Make(IDC_EEPROM_DATA, K::Edit, "", {14, 58, 366, 212}));
    data.takesEnterAndTab = true;
    d.controls = {
        sizes,
        Make(IDC_EEPROM_ERASE, K::PushButton, "Erase EEPROM", {135, 6, 205, 20}),
        Make(kNoControlId, K::GroupBox, "EEPROM Data (address<=0xFF, use space to seperate byte)",
             {7, 26, 373, 218}),
        Label("address:", {14, 41, 48, 51}),
        Make(IDC_EEPROM_ADDRESS, K::Edit, "", {50, 39, 98, 51}),
        Label("size(bytes):", {106, 41, 156, 51}),
        Make(IDC_EEPROM_COUNT, K::Edit, "", {158, 39, 206, 51}),
        Make(IDC_EEPROM_WRITE, K::PushButton, "Write", {214, 38, 258, 52}),
        Make(IDC_EEPROM_READ, K::PushButton, "Read", {262, 38, 306, 52}),
        data,
        Make(IDC_EEPROM_SAVE_FILE, K::PushButton, "EEPROM -> FILE", {7, 226, 87, 240}),
        Make(IDC_EEPROM_LOAD_FILE, K::PushButton, "FILE -> EEPROM", {93, 226, 173, 240}),
    };
    return d;
}

}  // namespace tovrik
