#include "pages/config_page.h"

#include "app/demo_app.h"

namespace tovrik {

CConfigPage::CConfigPage(CDemoApp& app, const DialogTemplate& dialogTemplate)
    : PropertyPage(app.Ui(), dialogTemplate), app_(app)
{
}

}  // namespace tovrik
