#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"

namespace tovrik {

using namespace templates;

// The page's controls are still to come.
DialogTemplate I2cTemplate()
{
    return Page(IDD_I2C, "I2C Control");
}

}  // namespace tovrik
