// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

// The command protocol between HidDeviceLibrary and the chip, shared by both
// sides so they cannot drift apart. docs/protocol.md describes it in prose.
namespace tovrik::protocol {

// Request, status, data and event reports are this long, report id in byte 0.
constexpr int kReportLength = 32;
using Report = std::array<std::uint8_t, kReportLength>;
// Input report 1 (chip info) keeps its own, shorter length.
constexpr int kInfoReportLength = 17;

// A 16-bit field of a report, low byte first.
inline std::uint16_t Read16(const Report& r, int at)
{
    return static_cast<std::uint16_t>(r[at] | (r[at + 1] << 8));
}

inline void Put16(Report& r, int at, std::uint32_t value)
{
    r[at] = static_cast<std::uint8_t>(value & 0xFF);
    r[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// Report ids.
constexpr std::uint8_t kRegisterReportId = 0x01;  // output: register write; input: chip info
constexpr std::uint8_t kCommandReportId = 0x02;   // output: the request that opens a transfer
constexpr std::uint8_t kAnswerReportId = 0x03;    // input: status of a transfer
constexpr std::uint8_t kEventReportId = 0x04;     // input: event
constexpr std::uint8_t kDataReportId = 0x05;      // both ways: 16 bytes of a transfer's data

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
constexpr std::uint8_t kProtocolVersion = 2;

// Writing this value to this register releases the device code in input report 1.
constexpr std::uint8_t kDeviceCodeRegister = 0xFF;
constexpr std::uint8_t kDeviceCodeUnlock = 0x51;

// Bytes 1..3 of request, status and data reports.
constexpr int kOpcode = 1;
constexpr int kTag = 2;
constexpr int kSequence = 3;

// Request report (output).
constexpr int kCommandAddress = 4;   // 16-bit
constexpr int kCommandCount = 6;     // 16-bit: bytes of the range
constexpr int kCommandSlave = 8;     // I2C slave address, 8-bit form
constexpr int kCommandPageSize = 9;  // 0: the whole range; else the unit of the page mask
constexpr int kCommandSelected = 10;  // 16-bit: bytes of the range the mask selects
constexpr int kCommandMask = 12;      // page mask, bit i = i-th page from the one at address
constexpr int kMaskBytes = 16;
constexpr int kMaxMaskPages = 8 * kMaskBytes;
constexpr int kCommandGpioMask = kCommandMask;  // 16-bit pin mask of GPIO requests

// Status report (input).
constexpr int kAnswerStatus = 4;
constexpr int kAnswerAddress = 5;  // 16-bit, echoed
constexpr int kAnswerCount = 7;    // 16-bit, echoed

// Data report (both directions).
constexpr int kDataIndex = 4;   // 16-bit: position of the report in its transfer, from 0
constexpr int kDataLength = 6;  // payload bytes, 1..16
constexpr int kDataStatus = 7;  // 0x00: a read's data reports carry its success
constexpr int kData = 8;
constexpr int kMaxData = 16;

// A transfer's range is at most this long; longer I2C transfers are split.
constexpr int kMaxTransfer = 4096;

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

// Data reports needed for `bytes` bytes.
constexpr int DataReports(int bytes)
{
    return (bytes + kMaxData - 1) / kMaxData;
}

// Whether page i of a request's mask is selected.
inline bool MaskHas(const Report& request, int page)
{
    return page >= 0 && page < kMaxMaskPages &&
           ((request[kCommandMask + page / 8] >> (page % 8)) & 1) != 0;
}

// A run of consecutive addresses.
struct Span {
    int address = 0;
    int length = 0;
};

// The bytes of a request's range that it selects, as runs of consecutive
// addresses: the whole range without a page size, else the pages of its mask.
inline std::vector<Span> SelectedSpans(const Report& request)
{
    const int address = Read16(request, kCommandAddress);
    const int count = Read16(request, kCommandCount);
    const int pageSize = request[kCommandPageSize];
    std::vector<Span> spans;
    if (pageSize == 0) {
        if (count > 0) {
            spans.push_back({address, count});
        }
        return spans;
    }
    const int firstPage = address / pageSize;
    for (int at = address; at < address + count;) {
        const int page = at / pageSize;
        const int end = std::min((page + 1) * pageSize, address + count);
        if (MaskHas(request, page - firstPage)) {
            if (!spans.empty() && spans.back().address + spans.back().length == at) {
                spans.back().length += end - at;
            } else {
                spans.push_back({at, end - at});
            }
        }
        at = end;
    }
    return spans;
}

}  // namespace tovrik::protocol
