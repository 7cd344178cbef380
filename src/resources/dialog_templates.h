#pragma once

#include "platform/dialog_template.h"

namespace tovrik {

// The dialog template with this id; an empty template for an unknown id.
const DialogTemplate& GetDialogTemplate(int id);

}  // namespace tovrik
