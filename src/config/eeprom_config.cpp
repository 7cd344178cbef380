// SPDX-License-Identifier: MIT
#include "config/eeprom_config.h"

#include <algorithm>
#include <vector>

#include "device/device_library.h"
#include "platform/prompter.h"

namespace tovrik {

namespace {

// The texts the load and save show, as the user sees them.
constexpr const char* kMsgSuccessiveFormat = "Successive data format error";
constexpr const char* kMsgHeaderLength = "Header length error";
constexpr const char* kMsgExceed = "EEPROM Exceed !!!";
constexpr const char* kMsgFull = "EEPROM Full !!!";
constexpr const char* kMsgWriteString = "Fail to write string";
constexpr const char* kMsgReadHeader = "Fail to read EEPROM header";
constexpr const char* kMsgEmpty = "EEPROM Empty";
constexpr const char* kMsgInvalidLength = "Invalid length field in EEPROM header";
constexpr const char* kMsgReadContent = "Fail to read EEPROM content";
constexpr const char* kMsgLoadString[4] = {
    "Fail to load manufacturer string", "Fail to load product string",
    "Fail to load serial string", "Fail to load UCQ string"};
constexpr const char* kMsgLoadEqGainsHeader = "Fail to load EQ gains header";
constexpr const char* kMsgLoadEqGains = "Fail to load EQ gains";
constexpr const char* kMsgLoadEqBandwidth = "Fail to load EQ bandwidth";
constexpr const char* kMsgEraseHeader = "Fail to erase EEPROM header";
constexpr const char* kMsgWriteHeader = "Fail to write EEPROM header";
constexpr const char* kMsgWriteContent = "Fail to write EEPROM content";
constexpr const char* kMsgSaveString[4] = {
    "Fail to save manufacturer string", "Fail to save product string",
    "Fail to save serial string", "Fail to save UCQ string"};
constexpr const char* kMsgSaveEqGainsHeader = "Fail to save EQ gains header";
constexpr const char* kMsgSaveEqGains = "Fail to save EQ gains";
constexpr const char* kMsgSaveEqBandwidth = "Fail to save EQ bandwidth";

constexpr std::uint8_t kMagic0 = 0x54;  // 'T'
constexpr std::uint8_t kMagic1 = 0x4B;  // 'K'
constexpr std::uint8_t kRunMarker = 0xFE;
constexpr std::uint8_t kFiller = 0xFF;
// Stream positions at which the builder puts a filler pair, and where the EQ
// run and the first block may start at the earliest.
constexpr std::size_t kFillerPosition1 = 16;
constexpr std::size_t kFillerPosition2 = 72;
constexpr std::size_t kMinRunOrBlockPosition = 74;
constexpr int kEqRegisterCount = 66;
constexpr int kPresetBlockSize = 9;
constexpr int kEqPresetBlock = 4;  // index of the EQ presets among the placed blocks
constexpr std::uint8_t kPresetRunHeader[3] = {kRunMarker, 0xA0, 0x06};

bool IsEqRegister(int reg)
{
    return reg >= EepromConfig::kEqFirstRegister && reg <= EepromConfig::kEqLastRegister;
}

// The register whose value holds the address of a placed block.
std::uint8_t BlockRegister(int block)
{
    return block == kEqPresetBlock
               ? EepromConfig::kEqPresetAddressRegister
               : static_cast<std::uint8_t>(EepromConfig::kStringAddressRegister + block);
}

}  // namespace

EepromConfig::EepromConfig() = default;

EepromConfig::EepromConfig(DeviceLibrary& library, Prompter& prompter)
    : library_(&library), prompter_(&prompter)
{
}

EepromConfig::~EepromConfig() = default;

EepromConfig* EepromConfig::GetInstance()
{
    static EepromConfig instance;
    return &instance;
}

void EepromConfig::Bind(DeviceLibrary* library, Prompter* prompter)
{
    library_ = library;
    prompter_ = prompter;
}

int EepromConfig::IsRegisterPresent(std::uint8_t reg) const
{
    return registerPresent[reg];
}

std::uint8_t EepromConfig::GetRegisterValue(std::uint8_t reg) const
{
    return registerValues[reg];
}

void EepromConfig::SetRegisterValue(std::uint8_t reg, std::uint8_t value)
{
    registerValues[reg] = value;
    registerPresent[reg] = 1;
}

void EepromConfig::ClearRegister(std::uint8_t reg)
{
    registerValues[reg] = 0;
    registerPresent[reg] = 0;
}

std::string& EepromConfig::StringAt(int index)
{
    switch (index) {
        case 0:
            return manufacturerString;
        case 1:
            return productString;
        case 2:
            return serialString;
        default:
            return ucqString;
    }
}

const std::string& EepromConfig::StringAt(int index) const
{
    return const_cast<EepromConfig*>(this)->StringAt(index);
}

int EepromConfig::GetString(int index, std::string& text) const
{
    if (index < 0 || index > 3) {
        return 0;
    }
    text = StringAt(index);
    return 1;
}

int EepromConfig::SetString(int index, const std::string& text)
{
    if (index < 0 || index > 3) {
        return 0;
    }
    const auto bit = static_cast<std::uint8_t>(1u << (3 + index));
    const auto addressRegister = static_cast<std::uint8_t>(kStringAddressRegister + index);
    if (text.empty()) {
        registerValues[kStringBitsRegister] &= static_cast<std::uint8_t>(~bit);
        registerPresent[addressRegister] = 0;
    } else {
        registerValues[kStringBitsRegister] |= bit;
        registerPresent[addressRegister] = 1;
    }
    StringAt(index) = text;
    registerPresent[kStringBitsRegister] = registerValues[kStringBitsRegister] != 0 ? 1 : 0;
    return 1;
}

void EepromConfig::GetEqPresetGains(EqPresetGains& gains) const
{
    gains = eqPresetGains;
}

void EepromConfig::SetEqPresetGains(const EqPresetGains& gains)
{
    eqPresetGains = gains;
    registerPresent[kEqPresetAddressRegister] = 1;
}

void EepromConfig::ClearEqPresetGains()
{
    eqPresetGains = EqPresetGains{};
    registerPresent[kEqPresetAddressRegister] = 0;
}

void EepromConfig::GetEqBandSettings(EqBandSettings& settings) const
{
    settings = eqBandSettings;
}

void EepromConfig::SetEqBandSettings(const EqBandSettings& settings)
{
    eqBandSettings = settings;
}

int EepromConfig::WriteRegisterReport(std::uint8_t reg, std::uint8_t value)
{
    const std::uint8_t report[8] = {0x01, 0, 0, 0, 0, reg, 0x01, value};
    if (library_ == nullptr) {
        return 0;
    }
    return library_->rmSetReport(report, static_cast<int>(sizeof report));
}

void EepromConfig::ShowMessage(const char* text)
{
    if (prompter_ != nullptr) {
        prompter_->MessageBox(text);
    }
}

void EepromConfig::ClearRegisterMap()
{
    registerValues.fill(0);
    registerPresent.fill(0);
}

int EepromConfig::ParseContent()
{
    const std::size_t length = header[3];
    std::size_t p = 0;
    while (p < length) {
        const std::uint8_t a = content[p];
        if (a == kRunMarker) {
            // 0xFE, start, count, count values, 0x00: the whole item must lie
            // within the stream before any of it is taken.
            if (p + 3 > length) {
                break;
            }
            const std::uint8_t start = content[p + 1];
            const std::size_t count = content[p + 2];
            const std::size_t end = p + 3 + count + 1;
            if (end > length) {
                p = end;
                break;
            }
            for (std::size_t j = 0; j < count; ++j) {
                const auto reg = static_cast<std::uint8_t>(start + j);
                registerValues[reg] = content[p + 3 + j];
                registerPresent[reg] = 1;
            }
            if (content[end - 1] != 0x00) {
                ClearRegisterMap();
                ShowMessage(kMsgSuccessiveFormat);
                return 0;
            }
            p = end;
        } else {
            if (p + 2 > length) {
                p += 2;
                break;
            }
            registerValues[a] = content[p + 1];
            registerPresent[a] = 1;
            p += 2;
        }
    }
    if (p != length) {
        ClearRegisterMap();
        ShowMessage(kMsgHeaderLength);
        return 0;
    }
    return 1;
}

int EepromConfig::BuildContent()
{
    header.fill(0);
    content.fill(0);
    placedBlocks = {};

    // The stream is built at full length first: it may outgrow the EEPROM,
    // which the save then refuses before writing anything.
    std::vector<std::uint8_t> stream;
    stream.reserve(2 * kRegisterCount);
    std::array<std::size_t, 5> valuePosition{};
    std::array<bool, 5> inStream{};
    auto addFillerUpTo = [&stream](std::size_t position) {
        while (stream.size() < position) {
            stream.push_back(kFiller);
            stream.push_back(kFiller);
        }
    };

    for (int r = 0; r < kFillerRegister; ++r) {
        if (stream.size() == kFillerPosition1 || stream.size() == kFillerPosition2) {
            stream.push_back(kFiller);
            stream.push_back(kFiller);
        }
        if (IsEqRegister(r) || registerPresent[r] == 0) {
            continue;
        }
        const std::uint8_t value = registerValues[r];
        if (r == kRunMarker) {
            // A pair starting with 0xFE would read back as a run item, so this
            // register is written as a run of one.
            stream.insert(stream.end(), {kRunMarker, kRunMarker, 0x01, value, 0x00});
            continue;
        }
        stream.push_back(static_cast<std::uint8_t>(r));
        for (int block = 0; block < 5; ++block) {
            if (r == BlockRegister(block)) {
                valuePosition[block] = stream.size();
                inStream[block] = true;
            }
        }
        stream.push_back(value);
    }

    int runStart = -1;
    for (int r = kEqFirstRegister; r <= kEqLastRegister + 1; ++r) {
        const bool present = r <= kEqLastRegister && registerPresent[r] != 0;
        if (present) {
            if (runStart < 0) {
                runStart = r;
            }
            continue;
        }
        if (runStart < 0) {
            continue;
        }
        const int count = r - runStart;
        if (count >= kEqRegisterCount) {
            addFillerUpTo(kMinRunOrBlockPosition);
            stream.push_back(kRunMarker);
            stream.push_back(static_cast<std::uint8_t>(runStart));
            stream.push_back(static_cast<std::uint8_t>(count));
            for (int j = runStart; j < r; ++j) {
                stream.push_back(registerValues[j]);
            }
            stream.push_back(0x00);
        } else {
            for (int j = runStart; j < r; ++j) {
                stream.push_back(static_cast<std::uint8_t>(j));
                stream.push_back(registerValues[j]);
            }
        }
        runStart = -1;
    }

    builtLength = stream.size();
    header[0] = kMagic0;
    header[1] = kMagic1;
    header[2] = kContentOffset;
    header[3] = static_cast<std::uint8_t>(std::min<std::size_t>(builtLength, 0xFF));

    // Place the blocks after the stream; the filler here only moves them on
    // and is not written.
    std::size_t c = builtLength;
    for (int block = 0; block < 5; ++block) {
        const std::uint8_t reg = BlockRegister(block);
        if (registerPresent[reg] == 0) {
            continue;
        }
        if (c < kMinRunOrBlockPosition) {
            c += 2 * ((kMinRunOrBlockPosition - c + 1) / 2);
        }
        const std::size_t address = c + kContentOffset;
        placedBlocks[block] = PlacedBlock{true, static_cast<std::uint32_t>(address)};
        if (address < static_cast<std::size_t>(kImageSize)) {
            const auto value = static_cast<std::uint8_t>(address);
            registerValues[reg] = value;
            if (inStream[block]) {
                stream[valuePosition[block]] = value;
            }
        }
        if (block < kEqPresetBlock) {
            c += StringAt(block).size() + 1;
        }
    }

    std::copy_n(stream.begin(), std::min<std::size_t>(stream.size(), content.size()),
                content.begin());
    return 1;
}

int EepromConfig::Burn(int direction, std::uint32_t address, std::uint8_t* buffer,
                       std::uint32_t count)
{
    if (library_ == nullptr) {
        return 0;
    }
    return library_->rmBurnEEPROM(direction, address, buffer, count) != 0 ? 1 : 0;
}

int EepromConfig::ReadEeprom(std::uint16_t address, std::uint8_t* buffer, std::uint8_t count)
{
    if (static_cast<std::uint32_t>(address) + count > static_cast<std::uint32_t>(kImageSize)) {
        ShowMessage(kMsgExceed);
        return 0;
    }
    return Burn(kEepromRead, address, buffer, count);
}

int EepromConfig::WriteChecked(std::uint32_t address, const std::uint8_t* buffer,
                               std::size_t count, bool dryRun)
{
    if (address + count > static_cast<std::size_t>(kImageSize)) {
        ShowMessage(kMsgFull);
        return 0;
    }
    if (dryRun || count == 0) {
        return 1;
    }
    // The library only reads from the buffer when writing.
    std::vector<std::uint8_t> copy(buffer, buffer + count);
    return Burn(kEepromWrite, address, copy.data(), static_cast<std::uint32_t>(count));
}

int EepromConfig::WriteEeprom(std::uint16_t address, const std::uint8_t* buffer,
                              std::uint8_t count)
{
    return WriteChecked(address, buffer, count, false);
}

int EepromConfig::LoadString(std::uint8_t address, std::string& text)
{
    std::uint8_t lengthByte = 0;
    if (ReadEeprom(address, &lengthByte, 1) == 0) {
        return 0;
    }
    const auto n = static_cast<std::uint8_t>(lengthByte / 2 - 1);
    if (n > kMaxStringLength) {
        return 0;
    }
    if (address + 1 + n > kImageSize) {
        ShowMessage(kMsgExceed);
        return 0;
    }
    std::array<std::uint8_t, kMaxStringLength> chars{};
    if (n > 0 && ReadEeprom(static_cast<std::uint16_t>(address + 1), chars.data(), n) == 0) {
        return 0;
    }
    text.assign(chars.begin(), chars.begin() + n);
    loadCursor = static_cast<std::uint16_t>(address + n + 1);
    return 1;
}

int EepromConfig::SaveStringAt(std::uint32_t address, const std::string& text, bool dryRun)
{
    const std::size_t n = text.size();
    if (n > kMaxStringLength) {
        return 0;
    }
    if (address + 1 + n > static_cast<std::uint32_t>(kImageSize)) {
        ShowMessage(kMsgFull);
        ShowMessage(kMsgWriteString);
        return 0;
    }
    const auto* chars = reinterpret_cast<const std::uint8_t*>(text.data());
    if (WriteChecked(address + 1, chars, n, dryRun) == 0) {
        ShowMessage(kMsgWriteString);
        return 0;
    }
    const auto lengthByte = static_cast<std::uint8_t>(2 * n + 2);
    if (WriteChecked(address, &lengthByte, 1, dryRun) == 0) {
        return 0;
    }
    saveCursor = static_cast<std::uint16_t>(address + n + 1);
    return 1;
}

int EepromConfig::SaveString(std::uint8_t address, const std::string& text)
{
    return SaveStringAt(address, text, false);
}

int EepromConfig::LoadFromEeprom()
{
    header.fill(0);
    content.fill(0);
    ClearRegisterMap();
    eqPresetGains = EqPresetGains{};
    for (int i = 0; i < 4; ++i) {
        StringAt(i).clear();
    }

    if (Burn(kEepromRead, 0, header.data(), static_cast<std::uint32_t>(header.size())) == 0) {
        ShowMessage(kMsgReadHeader);
        return 0;
    }
    if (header[0] != kMagic0 || header[1] != kMagic1) {
        ShowMessage(kMsgEmpty);
        return 1;
    }
    const std::uint8_t offset = header[2];
    const std::uint8_t length = header[3];
    if (offset + length > kImageSize) {
        ShowMessage(kMsgInvalidLength);
        return 0;
    }
    if (length == 0) {
        return 1;
    }
    if (ReadEeprom(offset, content.data(), length) == 0) {
        ShowMessage(kMsgReadContent);
        return 0;
    }
    loadCursor = static_cast<std::uint16_t>(offset + length);
    if (ParseContent() == 0) {
        return 0;
    }

    if (registerPresent[kStringBitsRegister] != 0) {
        const std::uint8_t bits = registerValues[kStringBitsRegister];
        for (int i = 0; i < 4; ++i) {
            if ((bits & (1u << (3 + i))) == 0) {
                continue;
            }
            const std::uint8_t address = registerValues[kStringAddressRegister + i];
            if (LoadString(address, StringAt(i)) == 0) {
                ShowMessage(kMsgLoadString[i]);
                return 0;
            }
        }
    }

    const std::uint8_t presetAddress = registerValues[kEqPresetAddressRegister];
    if (registerPresent[kEqPresetAddressRegister] != 0 && presetAddress != 0) {
        for (int i = 0; i < 4; ++i) {
            const int blockAddress = presetAddress + kPresetBlockSize * i;
            std::uint8_t runHeader[3] = {};
            if (ReadEeprom(static_cast<std::uint16_t>(blockAddress), runHeader, 3) == 0) {
                ShowMessage(kMsgLoadEqGainsHeader);
                return 0;
            }
            if (ReadEeprom(static_cast<std::uint16_t>(blockAddress + 3), eqPresetGains[i].data(),
                           6) == 0) {
                ShowMessage(kMsgLoadEqGains);
                return 0;
            }
        }
        return 1;
    }

    if (registerPresent[kEqBandRegister] != 0) {
        std::uint8_t raw[20] = {};
        if (ReadEeprom(loadCursor, raw, 20) == 0) {
            ShowMessage(kMsgLoadEqBandwidth);
            return 0;
        }
        for (int band = 0; band < 5; ++band) {
            for (int k = 0; k < 2; ++k) {
                const int at = 4 * band + 2 * k;
                eqBandSettings[band][k] = static_cast<std::uint16_t>(raw[at] | (raw[at + 1] << 8));
            }
        }
    }
    return 1;
}

std::uint32_t EepromConfig::BlockAddress(int block) const
{
    if (placedBlocks[block].placed) {
        return placedBlocks[block].address;
    }
    return registerValues[BlockRegister(block)];
}

int EepromConfig::SaveBlocks(bool dryRun)
{
    // Byte 0 is erased first and the header written last, so a save cut off
    // part-way leaves an EEPROM that reads as empty, never a header vouching
    // for blocks only partly written.
    std::uint8_t erased = kFiller;
    if (!dryRun && Burn(kEepromWrite, 0, &erased, 1) == 0) {
        ShowMessage(kMsgWriteHeader);
        return 0;
    }
    if (SaveContentAndBlocks(dryRun) == 0) {
        return 0;
    }
    if (!dryRun &&
        Burn(kEepromWrite, 0, header.data(), static_cast<std::uint32_t>(header.size())) == 0) {
        ShowMessage(kMsgWriteHeader);
        return 0;
    }
    return 1;
}

int EepromConfig::SaveContentAndBlocks(bool dryRun)
{
    if (WriteChecked(kContentOffset, content.data(), builtLength, dryRun) == 0) {
        ShowMessage(kMsgWriteContent);
        return 0;
    }
    saveCursor = static_cast<std::uint16_t>(kContentOffset + builtLength);

    if (registerPresent[kStringBitsRegister] != 0) {
        const std::uint8_t bits = registerValues[kStringBitsRegister];
        for (int i = 0; i < 4; ++i) {
            if ((bits & (1u << (3 + i))) == 0) {
                continue;
            }
            if (SaveStringAt(BlockAddress(i), StringAt(i), dryRun) == 0) {
                ShowMessage(kMsgSaveString[i]);
                return 0;
            }
        }
    }

    const std::uint32_t presetAddress = BlockAddress(kEqPresetBlock);
    if (registerPresent[kEqPresetAddressRegister] != 0 && presetAddress != 0) {
        for (int i = 0; i < 4; ++i) {
            const std::uint32_t blockAddress = presetAddress + kPresetBlockSize * i;
            if (WriteChecked(blockAddress, kPresetRunHeader, 3, dryRun) == 0) {
                ShowMessage(kMsgSaveEqGainsHeader);
                return 0;
            }
            if (WriteChecked(blockAddress + 3, eqPresetGains[i].data(), 6, dryRun) == 0) {
                ShowMessage(kMsgSaveEqGains);
                return 0;
            }
        }
        return 1;
    }

    if (registerPresent[kEqBandRegister] != 0) {
        std::uint8_t raw[20] = {};
        for (int band = 0; band < 5; ++band) {
            for (int k = 0; k < 2; ++k) {
                const int at = 4 * band + 2 * k;
                raw[at] = static_cast<std::uint8_t>(eqBandSettings[band][k] & 0xFF);
                raw[at + 1] = static_cast<std::uint8_t>(eqBandSettings[band][k] >> 8);
            }
        }
        if (WriteChecked(saveCursor, raw, sizeof raw, dryRun) == 0) {
            ShowMessage(kMsgSaveEqBandwidth);
            return 0;
        }
    }
    return 1;
}

int EepromConfig::SaveToEeprom()
{
    BuildContent();
    if (builtLength == 0) {
        std::uint8_t erased = kFiller;
        if (Burn(kEepromWrite, 0, &erased, 1) == 0) {
            ShowMessage(kMsgEraseHeader);
            return 0;
        }
        return 1;
    }
    // Every bound the save can know in advance is checked before the first
    // write, so a save that cannot fit leaves the EEPROM as it was instead of
    // a new header over old blocks. The rehearsal shows the same messages in
    // the same order as the real save would have.
    if (SaveBlocks(true) == 0) {
        return 0;
    }
    return SaveBlocks(false);
}

}  // namespace tovrik
