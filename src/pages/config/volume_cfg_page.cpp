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

void CVolumeCfgPage::DoDataExchange(DataExchange& dx)
{
    Mirrored([this, &dx] {
        if (dx.Saving()) {
            model_.ReadBoundFields();
        } else {
            model_.ShowBoundFields();
        }
    });
}

void CVolumeCfgPage::OnReset()
{
    Mirrored([this] { model_.OnReset(); });
}

}  // namespace tovrik
