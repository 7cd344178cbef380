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

void CMiscPage::PullControls()
{
    auto& mine = model_.Controls();
    const auto& window = Controls();
    for (std::size_t i = 0; i < mine.size() && i < window.size(); ++i) {
        mine[i] = *window[i];
    }
}

void CMiscPage::PushControls()
{
    const auto& mine = model_.Controls();
    const auto& window = Controls();
    for (std::size_t i = 0; i < mine.size() && i < window.size(); ++i) {
        *window[i] = mine[i];
    }
}

int CMiscPage::OnInitDialog()
{
    model_.Create(App().CurrentDeviceProfile());
    PushControls();
    return 1;
}

void CMiscPage::OnDestroy()
{
    model_.Destroy();
}

void CMiscPage::DoDataExchange(DataExchange& dx)
{
    if (dx.Saving()) {
        PullControls();
        if (!model_.ReadBoundFields()) {
            dx.Fail();
        }
    } else {
        model_.ShowBoundFields();
        PushControls();
    }
}

void CMiscPage::LoadFromImage()
{
    if (IsWindow()) {
        PullControls();
    }
    model_.LoadFromImage(App().CurrentDeviceProfile());
    if (IsWindow()) {
        PushControls();
    }
}

void CMiscPage::StoreToImage()
{
    if (!IsWindow()) {
        return;
    }
    PullControls();
    model_.StoreToImage();
    PushControls();
}

void CMiscPage::ResetPage()
{
    if (IsWindow()) {
        PullControls();
    }
    model_.SetProfile(App().CurrentDeviceProfile());
    model_.ResetPage();
    if (IsWindow()) {
        PushControls();
    }
}

void CMiscPage::UpdateAgcControls()
{
    if (!IsWindow()) {
        return;
    }
    PullControls();
    model_.UpdateAgcControls();
    PushControls();
}

void CMiscPage::OnCommand(int id, Notify code)
{
    if (!IsWindow()) {
        return;
    }
    PullControls();
    model_.SetProfile(App().CurrentDeviceProfile());
    model_.OnCommand(id, code);
    PushControls();
}

}  // namespace tovrik
