// SPDX-License-Identifier: MIT
#include "session/config_models.h"

namespace tovrik {

ConfigModels::ConfigModels(EepromConfig& config, Prompter& prompter)
    : usb_(config, prompter),
      volume_(config, prompter),
      eq_(config, prompter),
      misc_(config, prompter),
      table_({&usb_, &volume_, &eq_, &misc_})
{
}

void ConfigModels::Create(const DeviceProfile* profile)
{
    for (ConfigPageModel* model : std::initializer_list<ConfigPageModel*>{&usb_, &volume_, &eq_, &misc_}) {
        model->Create(profile);
    }
}

bool ConfigModels::StoreToImage()
{
    bool stored = true;
    for (ConfigPageModel* model : std::initializer_list<ConfigPageModel*>{&usb_, &volume_, &eq_, &misc_}) {
        stored = model->StoreToImage() && stored;
    }
    return stored;
}

}  // namespace tovrik
