// SPDX-License-Identifier: MIT
#include "session/config_models.h"

namespace tovrik {

ConfigModels::ConfigModels(EepromConfig& config, Prompter& prompter)
    : tap_(prompter),
      usb_(config, tap_),
      volume_(config, tap_),
      eq_(config, tap_),
      misc_(config, tap_),
      table_({&usb_, &volume_, &eq_, &misc_})
{
    table_.SetMessageSource([this] { return tap_.Take(); });
}

void ConfigModels::Create(const DeviceProfile* profile)
{
    for (ConfigPageModel* model :
         std::initializer_list<ConfigPageModel*>{&usb_, &volume_, &eq_, &misc_}) {
        model->Create(profile);
    }
}

bool ConfigModels::StoreToImage()
{
    bool stored = true;
    for (ConfigPageModel* model :
         std::initializer_list<ConfigPageModel*>{&usb_, &volume_, &eq_, &misc_}) {
        stored = model->StoreToImage() && stored;
    }
    return stored;
}

}  // namespace tovrik
