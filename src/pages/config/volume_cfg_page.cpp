// SPDX-License-Identifier: MIT
#include "pages/config/volume_cfg_page.h"

#include "pages/page_context.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

CVolumeCfgPage::CVolumeCfgPage(PageContext& app)
    : CConfigPage(app, GetDialogTemplate(IDD_VOLUME_CONFIG)),
      model_(app.Config(), app.Ui().GetPrompter())
{
}

void CVolumeCfgPage::PullControls()
{
    auto& mine = model_.Controls();
    const auto& window = Controls();
    for (std::size_t i = 0; i < mine.size() && i < window.size(); ++i) {
        mine[i] = *window[i];
    }
}

void CVolumeCfgPage::PushControls()
{
    const auto& mine = model_.Controls();
    const auto& window = Controls();
    for (std::size_t i = 0; i < mine.size() && i < window.size(); ++i) {
        *window[i] = mine[i];
    }
}

int CVolumeCfgPage::OnInitDialog()
{
    model_.Create(App().CurrentDeviceProfile());
    PushControls();
    return 1;
}

void CVolumeCfgPage::OnDestroy()
{
    model_.Destroy();
}

void CVolumeCfgPage::DoDataExchange(DataExchange& dx)
{
    if (dx.Saving()) {
        PullControls();
        model_.ReadBoundFields();
    } else {
        model_.ShowBoundFields();
        PushControls();
    }
}

void CVolumeCfgPage::LoadFromImage()
{
    if (IsWindow()) {
        PullControls();
    }
    model_.LoadFromImage(App().CurrentDeviceProfile());
    if (IsWindow()) {
        PushControls();
    }
}

void CVolumeCfgPage::StoreToImage()
{
    if (!IsWindow()) {
        return;
    }
    PullControls();
    model_.StoreToImage();
    PushControls();
}

void CVolumeCfgPage::OnReset()
{
    if (IsWindow()) {
        PullControls();
    }
    model_.OnReset();
    if (IsWindow()) {
        PushControls();
    }
}

void CVolumeCfgPage::OnCommand(int id, Notify code)
{
    if (!IsWindow()) {
        return;
    }
    PullControls();
    model_.OnCommand(id, code);
    PushControls();
}

}  // namespace tovrik
