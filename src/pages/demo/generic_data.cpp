#include "pages/demo/generic_data.h"

#include "app/demo_app.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace tovrik {

CGenericData::CGenericData(CDemoApp& app) : PropertyPage(app.Ui(), GetDialogTemplate(IDD_HID_CONTROL)) {}

}  // namespace tovrik
