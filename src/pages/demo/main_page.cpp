#include "pages/demo/main_page.h"

#include "app/demo_app.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

CMainPage::CMainPage(CDemoApp& app) : PropertyPage(app.Ui(), GetDialogTemplate(IDD_GPIO)) {}

}  // namespace tovrik
