// SPDX-License-Identifier: MIT
#include "pages/config_page.h"

#include "pages/page_context.h"

namespace tovrik {

CConfigPage::CConfigPage(PageContext& app, const DialogTemplate& dialogTemplate)
    : PropertyPage(app.Ui(), dialogTemplate), app_(app)
{
}

}  // namespace tovrik
