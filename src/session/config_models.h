// SPDX-License-Identifier: MIT
#pragma once

#include "pages/config/eq_page_model.h"
#include "pages/config/misc_config_page_model.h"
#include "pages/config/usb_cfg_page_model.h"
#include "pages/config/volume_cfg_page_model.h"
#include "session/settings_table.h"

namespace tovrik {

class EepromConfig;
class Prompter;
struct DeviceProfile;

// The four configuration pages as models on one image, without windows, and
// the settings table over them: what the command line reads and sets.
class ConfigModels {
public:
    ConfigModels(EepromConfig& config, Prompter& prompter);
    ConfigModels(const ConfigModels&) = delete;
    ConfigModels& operator=(const ConfigModels&) = delete;

    // Every page opened on the image, as a user leafing through them would.
    void Create(const DeviceProfile* profile);
    // Every page stores into the image, as before a save; false when one
    // refused what it holds (and said so).
    bool StoreToImage();

    SettingsTable& Table() { return table_; }

private:
    UsbCfgPageModel usb_;
    VolumeCfgPageModel volume_;
    EqPageModel eq_;
    MiscConfigPageModel misc_;
    SettingsTable table_;
};

}  // namespace tovrik
