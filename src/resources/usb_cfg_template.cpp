#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"

namespace tovrik {

using namespace templates;

// The page's controls are still to come.
DialogTemplate UsbConfigTemplate()
{
    return Page(IDD_USB_CONFIG, "USB Config");
}

}  // namespace tovrik
