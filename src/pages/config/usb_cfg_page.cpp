// SPDX-License-Identifier: MIT
#include "pages/config/usb_cfg_page.h"

#include "pages/page_context.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

CUsbCfgPage::CUsbCfgPage(PageContext& app)
    : CConfigPage(app, GetDialogTemplate(IDD_USB_CONFIG)),
      model_(app.Config(), app.Ui().GetPrompter())
{
}

void CUsbCfgPage::PullControls()
{
    auto& mine = model_.Controls();
    const auto& window = Controls();
    for (std::size_t i = 0; i < mine.size() && i < window.size(); ++i) {
        mine[i] = *window[i];
    }
}

void CUsbCfgPage::PushControls()
{
    const auto& mine = model_.Controls();
    const auto& window = Controls();
    for (std::size_t i = 0; i < mine.size() && i < window.size(); ++i) {
        *window[i] = mine[i];
    }
}

int CUsbCfgPage::OnInitDialog()
{
    model_.Create(App().CurrentDeviceProfile());
    PushControls();
    return 1;
}

void CUsbCfgPage::OnDestroy()
{
    model_.Destroy();
}

void CUsbCfgPage::DoDataExchange(DataExchange& dx)
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

void CUsbCfgPage::LoadFromImage()
{
    if (IsWindow()) {
        PullControls();
    }
    model_.LoadFromImage(App().CurrentDeviceProfile());
    if (IsWindow()) {
        PushControls();
    }
}

void CUsbCfgPage::StoreToImage()
{
    if (!IsWindow()) {
        return;
    }
    PullControls();
    model_.StoreToImage();
    PushControls();
}

void CUsbCfgPage::OnReset()
{
    if (IsWindow()) {
        PullControls();
    }
    model_.OnReset();
    if (IsWindow()) {
        PushControls();
    }
}

void CUsbCfgPage::OnCommand(int id, Notify code)
{
    if (!IsWindow()) {
        return;
    }
    PullControls();
    model_.OnCommand(id, code);
    PushControls();
}

}  // namespace tovrik
