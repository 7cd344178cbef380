#pragma once

#include <array>
#include <cstdint>

// The command protocol between HidDeviceLibrary and the chip, shared by both
// sides so they cannot drift apart. docs/protocol.md describes it in prose.
namespace tovrik::protocol {

// Every report is at most this long, report id in byte 0.
constexpr int kReportLength = 17;
using Report = std::array<std::uint8_t, kReportLength>;

// A 16-bit field of a report, low byte first.
inline std::uint16_t Read16(const Report& r, int at)
{
    return static_cast<std::uint16_t>(r[at] | (r[at + 1] << 8));
}

// Report ids.
constexpr std::uint8_t kRegisterReportId = 0x01;  // output: register write; input: chip info
constexpr std::uint8_t kCommandReportId = 0x02;   // output: one command
constexpr std::uint8_t kAnswerReportId = 0x03;    // input: status answer to one command
constexpr std::uint8_t kEventReportId = 0x04;     // input: event

// Register-write report (output, 8 bytes).
constexpr int kRegisterReportLength = 8;
constexpr int kRegisterReportRegister = 5;
constexpr int kRegisterReportMarker = 6;  // always 0x01
constexpr int kRegisterReportValue = 7;

// Input report 1 (chip info, 17 bytes, fetched with GetInputReport).
constexpr int kInfoVendorId = 1;     // 16-bit, low byte first
constexpr int kInfoProductId = 3;    // 16-bit, low byte first
constexpr int kInfoEepromPages = 5;  // fitted EEPROM size / 256
constexpr int kInfoVersion = 6;      // protocol version
constexpr int kInfoDeviceCode = 7;
constexpr std::uint8_t kProtocolVersion = 1;

// Writing this value to this register releases the device code in input report 1.
constexpr std::uint8_t kDeviceCodeRegister = 0xFF;
constexpr std::uint8_t kDeviceCodeUnlock = 0x51;

// Command report (output) and answer report (input) byte positions.
constexpr int kOpcode = 1;
constexpr int kTag = 2;
constexpr int kSequence = 3;
constexpr int kCommandAddress = 4;  // 16-bit, low byte first
constexpr int kCommandCount = 6;
constexpr int kCommandSlave = 7;
constexpr int kAnswerStatus = 4;
constexpr int kAnswerAddress = 5;  // 16-bit, low byte first
constexpr int kAnswerCount = 7;
constexpr int kData = 9;
constexpr int kMaxData = kReportLength - kData;  // 8 data bytes per report

// Opcodes.
constexpr std::uint8_t kOpEepromRead = 0x10;
constexpr std::uint8_t kOpEepromWrite = 0x11;
constexpr std::uint8_t kOpI2cRead = 0x20;
constexpr std::uint8_t kOpI2cWrite = 0x21;
constexpr std::uint8_t kOpGpioDirection = 0x30;
constexpr std::uint8_t kOpGpioLevel = 0x31;

// Answer status codes.
constexpr std::uint8_t kStatusOk = 0x00;
constexpr std::uint8_t kStatusBadCommand = 0x01;
constexpr std::uint8_t kStatusOutOfRange = 0x02;
constexpr std::uint8_t kStatusNack = 0x03;
constexpr std::uint8_t kStatusDeviceError = 0x04;

// Event report (input) byte positions and kinds.
constexpr int kEventKind = 1;
constexpr int kEventData = 2;  // eight event bytes
constexpr int kEventDataLength = 8;
constexpr int kGpiEventLength = 4;

enum class EventKind : std::uint8_t {
    KeyShortPress = 1,
    KeyLongPress = 2,
    MixerKeyDown = 3,
    MixerKeyUp = 4,
    Gpi = 5,
    Generic = 6,
    I2c = 7,
};

// Writing 0x01 to this register asks the chip to report registers as a
// generic event, starting at the register named by the last write to 0xFF.
constexpr std::uint8_t kRegisterDumpRegister = 0x96;

// EEPROM page size of a 24Cxx-like part of the given size.
constexpr int EepromPageSize(int eepromSize)
{
    return eepromSize <= 256 ? 8 : 16;
}

constexpr bool IsEepromSize(int size)
{
    return size == 256 || size == 512 || size == 1024 || size == 2048;
}

}  // namespace tovrik::protocol
