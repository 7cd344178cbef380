#include "pages/config/volume_cfg_page.h"

#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

CVolumeCfgPage::CVolumeCfgPage(CDemoApp& app) : CConfigPage(app, GetDialogTemplate(IDD_VOLUME_CONFIG)) {}

}  // namespace tovrik
