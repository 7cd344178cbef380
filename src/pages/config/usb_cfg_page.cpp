#include "pages/config/usb_cfg_page.h"

#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

CUsbCfgPage::CUsbCfgPage(CDemoApp& app) : CConfigPage(app, GetDialogTemplate(IDD_USB_CONFIG)) {}

}  // namespace tovrik
