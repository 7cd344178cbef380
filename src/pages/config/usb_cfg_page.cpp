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

void CUsbCfgPage::DoDataExchange(DataExchange& dx)
{
    Mirrored([this, &dx] {
        if (!dx.Saving()) {
            model_.ShowBoundFields();
        } else if (!model_.ReadBoundFields()) {
            dx.Fail();
        }
    });
}

void CUsbCfgPage::OnReset()
{
    Mirrored([this] { model_.OnReset(); });
}

}  // namespace tovrik
