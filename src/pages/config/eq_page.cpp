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

void CEQPage::DoDataExchange(DataExchange& dx)
{
    Mirrored([this, &dx] {
        if (dx.Saving()) {
            model_.ReadBoundFields();
        } else {
            model_.ShowBoundFields();
        }
    });
}

}  // namespace tovrik
