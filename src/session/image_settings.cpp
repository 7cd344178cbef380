// SPDX-License-Identifier: MIT
#include "session/image_settings.h"

#include "config/eeprom_config.h"
#include "platform/prompter.h"
#include "services/image_library.h"
#include "session/config_models.h"

namespace tovrik {

std::vector<SettingValue> SettingsOfImage(std::span<const std::uint8_t> image,
                                          const DeviceProfile* profile)
{
    ImageLibrary library(image);
    // What the loader and the pages would say about a damaged image goes nowhere.
    SilentPrompter prompter;
    EepromConfig config(library, prompter);
    config.LoadFromEeprom();
    ConfigModels models(config, prompter);
    models.Create(profile);
    return models.Table().Read();
}

std::vector<SettingDifference> CompareImageSettings(std::span<const std::uint8_t> chip,
                                                    std::span<const std::uint8_t> other,
                                                    const DeviceProfile* profile)
{
    std::vector<SettingDifference> differences;
    for (SettingChange& change :
         DiffSettings(SettingsOfImage(chip, profile), SettingsOfImage(other, profile))) {
        differences.push_back({std::move(change.page), std::move(change.label),
                               std::move(change.before), std::move(change.after)});
    }
    return differences;
}

}  // namespace tovrik
