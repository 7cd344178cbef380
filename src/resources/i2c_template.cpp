// SPDX-License-Identifier: MIT
#include "resources/demo_ids.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"

namespace tovrik {

using namespace templates;
using K = ControlKind;

// "SeqRead" and "SeqWrite" are defined hidden and have no action.
DialogTemplate I2cTemplate()
{
    DialogTemplate d = Page(IDD_I2C, "I2C Control");
    ControlTemplate data = MultiLine(Make(IDC_I2C_DATA, K::Edit, "", {7, 100, 373, 243}));
    data.takesEnterAndTab = true;
    d.controls = {
        Label("Slave Device Address", {7, 9, 90, 19}),
        Limited(Make(IDC_I2C_SLAVE, K::Edit, "", {94, 7, 122, 19}), 2),
        Make(IDC_I2C_SET, K::PushButton, "SET", {128, 6, 168, 20}),
        Make(IDC_I2C_READ, K::PushButton, "Read", {7, 28, 57, 42}),
        Make(IDC_I2C_WRITE, K::PushButton, "Write", {61, 28, 111, 42}),
        Hidden(Make(IDC_I2C_SEQ_READ, K::PushButton, "SeqRead", {115, 28, 165, 42})),
        Hidden(Make(IDC_I2C_SEQ_WRITE, K::PushButton, "SeqWrite", {169, 28, 219, 42})),
        Label("Size(Bytes,decimal):", {7, 52, 90, 62}),
        Make(IDC_I2C_SIZE, K::Edit, "", {94, 50, 142, 62}),
        Label("Data Address:", {7, 70, 90, 80}),
        Limited(Make(IDC_I2C_DATA_ADDRESS, K::Edit, "", {94, 68, 142, 80}), 4),
        Label("(not for Seq R/W )", {148, 70, 230, 80}),
        Label("(use space to seperate bytes)", {7, 88, 150, 98}),
        data,
    };
    return d;
}

}  // namespace tovrik
