#include "pages/about_page.h"

#include "app/demo_app.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

CAboutPage::CAboutPage(CDemoApp& app) : PropertyPage(app.Ui(), GetDialogTemplate(IDD_ABOUT)) {}

}  // namespace tovrik
