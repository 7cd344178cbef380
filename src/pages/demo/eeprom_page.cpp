#include "pages/demo/eeprom_page.h"

#include "app/demo_app.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

CEepromPage::CEepromPage(CDemoApp& app) : PropertyPage(app.Ui(), GetDialogTemplate(IDD_EEPROM)) {}

}  // namespace tovrik
