#include "pages/demo/i2c_page.h"

#include "app/demo_app.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

CI2CPage::CI2CPage(CDemoApp& app) : PropertyPage(app.Ui(), GetDialogTemplate(IDD_I2C)) {}

}  // namespace tovrik
