#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"

namespace tovrik {

using namespace templates;

// The page's controls are still to come.
DialogTemplate GpioTemplate()
{
    return Page(IDD_GPIO, "GPIO Control", true);
}

}  // namespace tovrik
