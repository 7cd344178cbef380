// SPDX-License-Identifier: MIT
#pragma once

#include "platform/dialog_template.h"

namespace tovrik {

// The dialog template with this id; an empty template for an unknown id.
const DialogTemplate& GetDialogTemplate(int id);

// Each template is defined in a file of its own.
DialogTemplate MainWindowTemplate();
DialogTemplate AboutPageTemplate();
DialogTemplate ChangesTemplate();
DialogTemplate UsbConfigTemplate();
DialogTemplate VolumeConfigTemplate();
DialogTemplate EqConfigTemplate();
DialogTemplate MiscConfigTemplate();
DialogTemplate GpioTemplate();
DialogTemplate EepromTemplate();
DialogTemplate I2cTemplate();
DialogTemplate HidControlTemplate();
DialogTemplate BackupsViewTemplate();
DialogTemplate LogViewTemplate();
DialogTemplate StationTemplate();

}  // namespace tovrik
