// SPDX-License-Identifier: MIT
#pragma once

#include "pages/config/eq_page_model.h"
#include "pages/config/misc_config_page_model.h"
#include "pages/config/usb_cfg_page_model.h"
#include "pages/config/volume_cfg_page_model.h"
#include "platform/prompter.h"
#include "session/settings_table.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tovrik {

class EepromConfig;
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
    // Passes every prompt on and keeps the messages for the settings table.
    class MessageTap : public Prompter {
    public:
        explicit MessageTap(Prompter& inner) : inner_(inner) {}
        void MessageBox(const std::string& text) override
        {
            messages_.push_back(text);
            inner_.MessageBox(text);
        }
        bool Question(const std::string& text) override { return inner_.Question(text); }
        std::optional<std::string> OpenFile(const std::string& filter,
                                            const std::string& extension) override
        {
            return inner_.OpenFile(filter, extension);
        }
        std::optional<std::string> SaveFile(const std::string& filter,
                                            const std::string& extension) override
        {
            return inner_.SaveFile(filter, extension);
        }
        std::vector<std::string> Take() { return std::exchange(messages_, {}); }

    private:
        Prompter& inner_;
        std::vector<std::string> messages_;
    };

    MessageTap tap_;
    UsbCfgPageModel usb_;
    VolumeCfgPageModel volume_;
    EqPageModel eq_;
    MiscConfigPageModel misc_;
    SettingsTable table_;
};

}  // namespace tovrik
