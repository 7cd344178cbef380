// SPDX-License-Identifier: MIT
#include "pages/config/misc_page.h"

#include "pages/page_context.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

CMiscPage::CMiscPage(PageContext& app)
    : CConfigPage(app, GetDialogTemplate(IDD_MISC_CONFIG)),
      model_(app.Config(), app.Ui().GetPrompter())
{
}

void CMiscPage::DoDataExchange(DataExchange& dx)
{
    Mirrored([this, &dx] {
        if (!dx.Saving()) {
            model_.ShowBoundFields();
        } else if (!model_.ReadBoundFields()) {
            dx.Fail();
        }
    });
}

// The reset offers the topologies of the device connected now.
void CMiscPage::ResetPage()
{
    Mirrored([this] {
        model_.SetProfile(App().CurrentDeviceProfile());
        model_.ResetPage();
    });
}

void CMiscPage::UpdateAgcControls()
{
    if (!IsWindow()) {
        return;
    }
    Mirrored([this] { model_.UpdateAgcControls(); });
}

void CMiscPage::OnCommand(int id, Notify code)
{
    model_.SetProfile(App().CurrentDeviceProfile());
    CConfigPage::OnCommand(id, code);
}

}  // namespace tovrik
