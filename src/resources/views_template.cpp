// SPDX-License-Identifier: MIT
// The Backups and Log views of the main window.
#include "resources/dialog_templates.h"
#include "resources/template_builders.h"
#include "resources/view_ids.h"

namespace tovrik {

using namespace templates;
using K = ControlKind;

DialogTemplate BackupsViewTemplate()
{
    DialogTemplate d;
    d.id = IDD_BACKUPS;
    d.title = "Backups";
    d.rect = {0, 0, 340, 250};
    d.controls = {
        Make(IDC_BACKUPS_FOLDER, K::Static, "", {7, 5, 333, 23}),
        Make(IDC_BACKUPS_LIST, K::ListBox, "", {7, 25, 333, 120}),
        Disabled(Make(IDC_BACKUPS_COMPARE, K::PushButton, "Compare", {7, 124, 67, 138})),
        Disabled(Make(IDC_BACKUPS_RESTORE, K::PushButton, "Restore", {71, 124, 131, 138})),
        Make(IDC_BACKUPS_OPEN_FOLDER, K::PushButton, "Open folder", {135, 124, 195, 138}),
        Make(IDC_BACKUPS_CLOSE, K::PushButton, "Close", {273, 124, 333, 138}),
        Make(IDC_BACKUPS_COMPARED, K::Static, "", {7, 143, 333, 153}),
        Make(IDC_BACKUPS_DIFFERENCES, K::ListBox, "", {7, 155, 333, 243}),
    };
    return d;
}

DialogTemplate LogViewTemplate()
{
    DialogTemplate d;
    d.id = IDD_LOG;
    d.title = "Log";
    d.rect = {0, 0, 420, 220};
    d.controls = {
        Make(IDC_LOG_NOTE, K::Static, "", {7, 5, 413, 15}),
        ReadOnly(MultiLine(Make(IDC_LOG_TEXT, K::Edit, "", {7, 18, 413, 194}))),
        Make(IDC_LOG_CLOSE, K::PushButton, "Close", {353, 199, 413, 213}),
    };
    return d;
}

}  // namespace tovrik
