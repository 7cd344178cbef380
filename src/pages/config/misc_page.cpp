#include "pages/config/misc_page.h"

#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

CMiscPage::CMiscPage(CDemoApp& app) : CConfigPage(app, GetDialogTemplate(IDD_MISC_CONFIG)) {}

}  // namespace tovrik
