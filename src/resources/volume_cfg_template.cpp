#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/template_builders.h"

namespace tovrik {

using namespace templates;

// The page's controls are still to come.
DialogTemplate VolumeConfigTemplate()
{
    return Page(IDD_VOLUME_CONFIG, "Volume Config");
}

}  // namespace tovrik
