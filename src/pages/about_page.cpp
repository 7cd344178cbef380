// SPDX-License-Identifier: MIT
#include "pages/about_page.h"

#include "pages/page_context.h"
#include "platform/control.h"
#include "platform/fitted_line.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

CAboutPage::CAboutPage(PageContext& app)
    : PropertyPage(app.Ui(), GetDialogTemplate(IDD_ABOUT)), app_(app)
{
}

void CAboutPage::OnSetActive()
{
    PropertyPage::OnSetActive();
    Control* text = GetDlgItem(IDC_ABOUT_BACKUP);
    if (text == nullptr || app_.Backups() == nullptr) {
        return;
    }
    if (!app_.LastBackupPath().empty()) {
        text->SetText("Last EEPROM backup: " + WithSystemSeparators(app_.LastBackupPath()));
    } else if (!app_.LastBackupError().empty()) {
        text->SetText("No EEPROM backup was kept: " + app_.LastBackupError());
    } else {
        text->SetText("EEPROM backups are kept in " +
                      WithSystemSeparators(app_.Backups()->Folder()));
    }
}

}  // namespace tovrik
