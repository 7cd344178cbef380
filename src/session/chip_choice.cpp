// SPDX-License-Identifier: MIT
#include "session/chip_choice.h"

#include <filesystem>
#include <system_error>

#include "app/factory_image.h"
#include "platform/safe_file.h"

namespace tovrik {

namespace {

// A missing backing file is made at the first write; one that cannot be made
// would fail every save later, as if the chip were faulty.
bool FolderTakesNewFile(const std::string& file, std::string& error)
{
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(file, ec).parent_path();
    if (!std::filesystem::is_directory(folder, ec)) {
        error = file + ": the folder " + folder.string() + " does not exist";
        return false;
    }
    if (!MayWrite(folder.string())) {
        error = file + ": the folder " + folder.string() + " cannot be written";
        return false;
    }
    return true;
}

}  // namespace

bool IsEepromImageSize(std::size_t size)
{
    return size == 256 || size == 512 || size == 1024 || size == 2048;
}

std::optional<SimulatedChipOptions> SimulatedChipFor(const ChipChoice& choice, std::string& error)
{
    SimulatedChipOptions options = FactoryChipOptions();
    if (choice.deviceCode) {
        options.deviceCode = static_cast<std::uint8_t>(*choice.deviceCode);
    }
    options.realTiming = choice.realTiming;
    if (choice.image) {
        options.initialEeprom = *choice.image;
    }
    if (choice.eepromSize) {
        options.eepromSize = *choice.eepromSize;
    }
    const std::string& file = choice.backingFile;
    options.backingFile = file;
    if (file.empty()) {
        return options;
    }
    if (!FileExists(file)) {
        if (!FolderTakesNewFile(file, error)) {
            return std::nullopt;
        }
        return options;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBounded(file, kMaxImageFileBytes, bytes, error)) {
        return std::nullopt;
    }
    // A file of another size (a crash may have cut it short) is no EEPROM
    // image; taking it as an erased EEPROM would lose it without a word.
    if (!IsEepromImageSize(bytes.size())) {
        error = file + ": " + std::to_string(bytes.size()) +
                " bytes is not the size of an EEPROM image (256, 512, 1024 or 2048 bytes)";
        return std::nullopt;
    }
    if (choice.eepromSize && *choice.eepromSize != static_cast<int>(bytes.size())) {
        error = "an EEPROM of " + std::to_string(*choice.eepromSize) +
                " bytes was asked for: " + file + " holds " + std::to_string(bytes.size()) +
                " bytes";
        return std::nullopt;
    }
    options.eepromSize = static_cast<int>(bytes.size());
    if (!MayWrite(file)) {
        error = file + ": cannot be read and written";
        return std::nullopt;
    }
    return options;
}

}  // namespace tovrik
