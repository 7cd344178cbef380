// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tovrik {

class DeviceLibrary;
class HidTransport;
class Prompter;

// Gains of the four EQ presets: for each preset the values of registers 160 to 165.
using EqPresetGains = std::array<std::array<std::uint8_t, 6>, 4>;
// Per EQ band (1 to 5): central frequency, then bandwidth, both in Hz.
using EqBandSettings = std::array<std::array<std::uint16_t, 2>, 5>;

// The single in-memory copy of the chip's start-up configuration: the register
// map (value and presence of each of the 256 chip registers), the four USB
// strings and the two EQ blocks, with their layout in the boot EEPROM and the
// load and save that move them between memory and the chip.
//
// Failures are shown at once through the prompter and end the operation with 0.
class EepromConfig {
public:
    static constexpr int kRegisterCount = 256;
    static constexpr int kImageSize = 256;  // the image always lies in the first 256 bytes
    static constexpr int kMaxStreamLength = 252;
    static constexpr int kMaxStringLength = 32;
    static constexpr std::uint8_t kContentOffset = 4;

    // Registers with a fixed role in the image.
    static constexpr std::uint8_t kStringBitsRegister = 8;
    static constexpr std::uint8_t kStringAddressRegister = 91;  // 91 + string index
    static constexpr std::uint8_t kEqGainRegister = 160;        // 160..165 set by a preset
    static constexpr std::uint8_t kEqFirstRegister = 160;
    static constexpr std::uint8_t kEqLastRegister = 225;
    static constexpr std::uint8_t kEqBandRegister = 166;
    static constexpr std::uint8_t kEqPresetAddressRegister = 227;
    static constexpr std::uint8_t kFillerRegister = 255;

    // An instance with no device: every transfer fails and nothing is shown.
    EepromConfig();
    EepromConfig(DeviceLibrary& library, Prompter& prompter);
    virtual ~EepromConfig();

    EepromConfig(const EepromConfig&) = delete;
    EepromConfig& operator=(const EepromConfig&) = delete;

    // The one instance the tool uses, created on first use.
    static EepromConfig* GetInstance();

    // Names the device library and prompter used from now on (nullptr: none).
    void Bind(DeviceLibrary* library, Prompter* prompter);
    // The system's HID interfaces, through which DetectDevice reads the device code.
    void SetHidTransport(HidTransport* transport) { transport_ = transport; }
    // The interface at `path` is the one DetectDevice reads while it is
    // attached with the ids (the one the user picked); empty: the first match.
    void PreferInterface(const std::string& path) { preferredPath_ = path; }

    // Register map.
    int IsRegisterPresent(std::uint8_t reg) const;
    std::uint8_t GetRegisterValue(std::uint8_t reg) const;
    void SetRegisterValue(std::uint8_t reg, std::uint8_t value);
    void ClearRegister(std::uint8_t reg);

    // Strings: index 0 manufacturer, 1 product, 2 serial, 3 UCQ. One byte per
    // character. An index above 3 returns 0.
    int GetString(int index, std::string& text) const;
    int SetString(int index, const std::string& text);

    // EQ blocks.
    void GetEqPresetGains(EqPresetGains& gains) const;
    void SetEqPresetGains(const EqPresetGains& gains);
    void ClearEqPresetGains();
    void GetEqBandSettings(EqBandSettings& settings) const;
    void SetEqBandSettings(const EqBandSettings& settings);

    std::uint8_t GetDeviceCode() const { return deviceCode; }
    void SetDeviceCode(std::uint8_t code) { deviceCode = code; }

    // Sets one chip register at once with the 8-byte register-write report.
    int WriteRegisterReport(std::uint8_t reg, std::uint8_t value);

    // Stream to register map (adds to the map; the caller clears it first).
    int ParseContent();
    // Register map to header and stream; places the string and EQ blocks.
    int BuildContent();

    int ReadEeprom(std::uint16_t address, std::uint8_t* buffer, std::uint8_t count);
    int WriteEeprom(std::uint16_t address, const std::uint8_t* buffer, std::uint8_t count);
    int LoadString(std::uint8_t address, std::string& text);
    int SaveString(std::uint8_t address, const std::string& text);

    int LoadFromEeprom();
    int SaveToEeprom();

    // Reads the device code of the device just opened: byte 7 of input report 1
    // of the first HID interface with the ids. 1 when read; on failure 0 and
    // the device code is 0.
    int DetectDevice(std::uint16_t vendorId, std::uint16_t productId);
    // The fitted EEPROM size the same report gave; 0 when it was not read.
    int DetectedEepromSize() const { return detectedEepromSize_; }

    // State as the last load, build or save left it.
    const std::array<std::uint8_t, 4>& Header() const { return header; }
    const std::array<std::uint8_t, kImageSize>& Content() const { return content; }
    // Stream length of the last build; may exceed what fits into the EEPROM.
    std::size_t BuiltContentLength() const { return builtLength; }
    std::uint16_t LoadCursor() const { return loadCursor; }
    std::uint16_t SaveCursor() const { return saveCursor; }

private:
    // Where the last build placed the four string blocks and the EQ preset
    // blocks; an address of 256 or more cannot be stored in its register.
    struct PlacedBlock {
        bool placed = false;
        std::uint32_t address = 0;
    };

    void ShowMessage(const char* text);
    void ClearRegisterMap();
    std::string& StringAt(int index);
    const std::string& StringAt(int index) const;

    int Burn(int direction, std::uint32_t address, std::uint8_t* buffer, std::uint32_t count);
    int WriteChecked(std::uint32_t address, const std::uint8_t* buffer, std::size_t count,
                     bool dryRun);
    int SaveStringAt(std::uint32_t address, const std::string& text, bool dryRun);
    std::uint32_t BlockAddress(int block) const;
    int SaveBlocks(bool dryRun);
    int SaveContentAndBlocks(bool dryRun);

    std::array<std::uint8_t, 4> header{};
    std::array<std::uint8_t, kImageSize> content{};
    std::array<std::uint8_t, kRegisterCount> registerValues{};
    std::array<int, kRegisterCount> registerPresent{};
    std::string manufacturerString;
    std::string productString;
    std::string serialString;
    std::string ucqString;
    EqPresetGains eqPresetGains{};
    EqBandSettings eqBandSettings{};
    std::uint16_t loadCursor = 0;
    std::uint16_t saveCursor = 0;
    std::uint8_t deviceCode = 0;

    std::size_t builtLength = 0;
    std::array<PlacedBlock, 5> placedBlocks{};  // strings 0..3, then the EQ presets

    DeviceLibrary* library_ = nullptr;
    Prompter* prompter_ = nullptr;
    HidTransport* transport_ = nullptr;
    std::string preferredPath_;
    int detectedEepromSize_ = 0;
};

}  // namespace tovrik
