// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tovrik {

// The level tables the volume page offers, the registers that hold each
// volume setting, and the conversions between a level in dB and register
// contents. Plain data and pure functions.

inline constexpr int kPlaybackLevelCount = 41;
inline constexpr int kAaLevelCount = 63;
inline constexpr int kRecordLevelCount = 43;
// Recording levels below this index step by 1.5 dB, from it on by 1.0 dB.
inline constexpr int kRecordFineStepCount = 31;

// -40 to 0 dB in steps of 1, shown with "%d".
inline constexpr std::array<int, kPlaybackLevelCount> PlaybackLevels = [] {
    std::array<int, kPlaybackLevelCount> levels{};
    for (int i = 0; i < kPlaybackLevelCount; ++i) {
        levels[i] = -40 + i;
    }
    return levels;
}();

// -30 to 32 dB in steps of 1, shown with "%d".
inline constexpr std::array<int, kAaLevelCount> AaLevels = [] {
    std::array<int, kAaLevelCount> levels{};
    for (int i = 0; i < kAaLevelCount; ++i) {
        levels[i] = -30 + i;
    }
    return levels;
}();

// -12.0 to 33.0 dB in steps of 1.5, then 34.0 to 45.0 dB in steps of 1.0, shown with "%.1f".
inline constexpr std::array<float, kRecordLevelCount> RecordLevels = [] {
    std::array<float, kRecordLevelCount> levels{};
    for (int i = 0; i < kRecordLevelCount; ++i) {
        levels[i] = i < kRecordFineStepCount ? -12.0f + 1.5f * static_cast<float>(i)
                                             : 34.0f + static_cast<float>(i - kRecordFineStepCount);
    }
    return levels;
}();

// The chip's gain code of each entry of RecordLevels: -8 to 34.
inline constexpr std::array<int, kRecordLevelCount> RecordCodes = [] {
    std::array<int, kRecordLevelCount> codes{};
    for (int i = 0; i < kRecordLevelCount; ++i) {
        codes[i] = i - 8;
    }
    return codes;
}();

// The three tables as the page handles them: by index, with their texts.
enum class LevelTable { Playback, Record, Aa };

int LevelCount(LevelTable table);
// 0 for an index outside the table.
double LevelValue(LevelTable table, int index);
// "%d" for the integer tables, "%.1f" for the recording table.
std::string LevelText(LevelTable table, int index);
// A level text read back as the page reads it: the leading integer ("%d") or the
// leading floating-point number ("%f"); nothing when the text has none.
std::optional<double> ParseLevelText(LevelTable table, const std::string& text);

// The two registers of a range word: low byte in the lower-numbered register.
struct RangeWord {
    std::uint8_t low = 0;
    std::uint8_t high = 0;

    friend bool operator==(const RangeWord&, const RangeWord&) = default;
};

// Low byte 0, high byte the value as a signed byte.
RangeWord EncodeRangeWord(int value);
// The signed 16-bit word divided by 256, truncated toward zero.
int DecodeRangeWord(std::uint8_t low, std::uint8_t high);

// The code of the first recording level not below `level`; 34 above the table.
int RecordCodeForLevel(double level);
// The first recording level whose code is not below `code`; 45.0 dB above the codes.
float RecordLevelForCode(int code);

// Register 11 keeps its level in bits 0-4; codes below this one do not fit there.
inline constexpr int kLowestMicRecordInitialCode = 3;
// Whether a recording level can be the Mic-In Recording initial level (4.5 dB and up).
bool FitsMicRecordInitial(double level);

// Initial-level fields, without the flag bits the caller ORs in.
std::uint8_t EncodePlaybackInitial(int level);       // register 10, bits 0-5
std::uint8_t EncodeMicRecordInitial(double level);   // register 11, bits 0-4
std::uint8_t EncodeMicAaInitial(int level);          // register 12, bits 0-5
std::uint8_t EncodeLineRecordInitial(double level);  // register 69
std::uint8_t EncodeLineAaInitial(int level);         // register 70

int DecodePlaybackInitial(std::uint8_t reg10);
float DecodeMicRecordInitial(std::uint8_t reg11);
int DecodeMicAaInitial(std::uint8_t reg12);
float DecodeLineRecordInitial(std::uint8_t reg69);
int DecodeLineAaInitial(std::uint8_t reg70);

// Bit `bit` of a register value as 0 or 1.
inline int RegisterFlag(std::uint8_t value, int bit)
{
    return (value >> bit) & 1;
}

// Register numbers of the volume settings.
namespace volume_reg {
inline constexpr std::uint8_t kPlaybackInitial = 10;   // bit 6 playback mute, bit 7 mixer-in mute
inline constexpr std::uint8_t kMicRecordInitial = 11;  // bits 5-7 SPDIF-In, Line-In, Mic-In mute
inline constexpr std::uint8_t kMicAaInitial = 12;      // bit 6 Line-In AA, bit 7 Mic-In AA mute
inline constexpr std::uint8_t kLineRecordMaxLow = 15;
inline constexpr std::uint8_t kLineRecordMinLow = 17;
inline constexpr std::uint8_t kMicRecordMaxLow = 19;
inline constexpr std::uint8_t kMicRecordMinLow = 21;
inline constexpr std::uint8_t kMicAaMaxLow = 23;
inline constexpr std::uint8_t kMicAaMinLow = 25;
inline constexpr std::uint8_t kLineAaMaxLow = 27;
inline constexpr std::uint8_t kLineAaMinLow = 29;
inline constexpr std::uint8_t kLineRecordInitial = 69;
inline constexpr std::uint8_t kLineAaInitial = 70;
inline constexpr std::uint8_t kPlaybackMaxLow = 87;
inline constexpr std::uint8_t kPlaybackMinLow = 89;
}  // namespace volume_reg

}  // namespace tovrik
