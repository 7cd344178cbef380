#include "pages/config/eq_page.h"

#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

CEQPage::CEQPage(CDemoApp& app) : CConfigPage(app, GetDialogTemplate(IDD_EQ_CONFIG)) {}

}  // namespace tovrik
