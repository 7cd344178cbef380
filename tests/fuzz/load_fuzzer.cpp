// SPDX-License-Identifier: MIT
// Feeds arbitrary EEPROM contents to the image load, then saves what was
// loaded and loads it again: no input may read or write past any buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "config/eeprom_config.h"
#include "platform/prompter.h"
#include "support/memory_eeprom_library.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tovrik::MemoryEepromLibrary library;
    library.eeprom.fill(0xFF);
    for (std::size_t i = 0; i < size && i < library.eeprom.size(); ++i) {
        library.eeprom[i] = data[i];
    }
    tovrik::SilentPrompter prompter;
    tovrik::EepromConfig config(library, prompter);
    if (config.LoadFromEeprom() == 0) {
        return 0;
    }
    if (config.SaveToEeprom() == 1) {
        tovrik::EepromConfig reloaded(library, prompter);
        reloaded.LoadFromEeprom();
    }
    return 0;
}
