// SPDX-License-Identifier: MIT
#include "resources/dialog_templates.h"

#include <map>

namespace tovrik {

namespace {

std::map<int, DialogTemplate> BuildTemplates()
{
    std::map<int, DialogTemplate> all;
    for (DialogTemplate d :
         {MainWindowTemplate(), AboutPageTemplate(), UsbConfigTemplate(), VolumeConfigTemplate(),
          EqConfigTemplate(), MiscConfigTemplate(), GpioTemplate(), EepromTemplate(), I2cTemplate(),
          HidControlTemplate(), BackupsViewTemplate(), LogViewTemplate(),
          StationTemplate(), ChangesTemplate()}) {
        all.emplace(d.id, std::move(d));
    }
    return all;
}

}  // namespace

const DialogTemplate& GetDialogTemplate(int id)
{
    static const std::map<int, DialogTemplate> templates = BuildTemplates();
    static const DialogTemplate none;
    const auto it = templates.find(id);
    return it == templates.end() ? none : it->second;
}

}  // namespace tovrik
