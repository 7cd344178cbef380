// SPDX-License-Identifier: MIT
// The Changes view: the settings a save would change, one row each.
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"

namespace tovrik {

using namespace templates;
using K = ControlKind;

DialogTemplate ChangesTemplate()
{
    DialogTemplate d;
    d.id = IDD_CHANGES;
    d.title = "Changes";
    d.rect = {0, 0, 420, 200};
    // The rows line up in columns.
    d.fixedFont = true;
    d.controls = {
        Make(IDC_CHANGES_SUMMARY, K::Static, "", {7, 7, 413, 17}),
        Make(IDC_CHANGES_HEADER, K::Static, "", {9, 20, 413, 30}),
        Make(IDC_CHANGES_LIST, K::ListBox, "", {7, 31, 413, 175}),
        Make(IDC_CHANGES_CLOSE, K::PushButton, "Close", {363, 180, 413, 194}),
    };
    return d;
}

}  // namespace tovrik
