#include "pages/about_page.h"

#include "pages/page_context.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

CAboutPage::CAboutPage(PageContext& app) : PropertyPage(app.Ui(), GetDialogTemplate(IDD_ABOUT)) {}

}  // namespace tovrik
