// SPDX-License-Identifier: MIT
#include "pages/config/eq_page.h"

#include "pages/page_context.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

CEQPage::CEQPage(PageContext& app)
    : CConfigPage(app, GetDialogTemplate(IDD_EQ_CONFIG)),
      model_(app.Config(), app.Ui().GetPrompter())
{
}

void CEQPage::PullControls()
{
    auto& mine = model_.Controls();
    const auto& window = Controls();
    for (std::size_t i = 0; i < mine.size() && i < window.size(); ++i) {
        mine[i] = *window[i];
    }
}

void CEQPage::PushControls()
{
    const auto& mine = model_.Controls();
    const auto& window = Controls();
    for (std::size_t i = 0; i < mine.size() && i < window.size(); ++i) {
        *window[i] = mine[i];
    }
}

int CEQPage::OnInitDialog()
{
    model_.Create(App().CurrentDeviceProfile());
    PushControls();
    return 1;
}

void CEQPage::OnDestroy()
{
    model_.Destroy();
}

void CEQPage::DoDataExchange(DataExchange& dx)
{
    if (dx.Saving()) {
        PullControls();
        model_.ReadBoundFields();
    } else {
        model_.ShowBoundFields();
        PushControls();
    }
}

void CEQPage::LoadFromImage()
{
    if (IsWindow()) {
        PullControls();
    }
    model_.LoadFromImage(App().CurrentDeviceProfile());
    if (IsWindow()) {
        PushControls();
    }
}

void CEQPage::StoreToImage()
{
    if (!IsWindow()) {
        return;
    }
    PullControls();
    model_.StoreToImage();
    PushControls();
}

void CEQPage::OnCommand(int id, Notify code)
{
    if (!IsWindow()) {
        return;
    }
    PullControls();
    model_.OnCommand(id, code);
    PushControls();
}

}  // namespace tovrik
