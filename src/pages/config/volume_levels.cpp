// SPDX-License-Identifier: MIT
#include "pages/config/volume_levels.h"

#include <algorithm>
#include <charconv>
#include <cstddef>

namespace tovrik {

int LevelCount(LevelTable table)
{
    switch (table) {
        case LevelTable::Playback:
            return kPlaybackLevelCount;
        case LevelTable::Record:
            return kRecordLevelCount;
        case LevelTable::Aa:
            return kAaLevelCount;
    }
    return 0;
}

double LevelValue(LevelTable table, int index)
{
    if (index < 0 || index >= LevelCount(table)) {
        return 0.0;
    }
    const auto i = static_cast<std::size_t>(index);
    switch (table) {
        case LevelTable::Playback:
            return PlaybackLevels[i];
        case LevelTable::Record:
            return RecordLevels[i];
        case LevelTable::Aa:
            return AaLevels[i];
    }
    return 0.0;
}

std::string LevelText(LevelTable table, int index)
{
    // to_chars ignores the process locale, so the texts always use a decimal point.
    char buffer[32];
    std::to_chars_result result{};
    if (table == LevelTable::Record) {
        result = std::to_chars(buffer, buffer + sizeof buffer,
                               static_cast<float>(LevelValue(table, index)),
                               std::chars_format::fixed, 1);
    } else {
        result = std::to_chars(buffer, buffer + sizeof buffer,
                               static_cast<int>(LevelValue(table, index)));
    }
    return std::string(buffer, result.ptr);
}

std::optional<double> ParseLevelText(LevelTable table, const std::string& text)
{
    const char* first = text.data();
    const char* last = text.data() + text.size();
    while (first != last && (*first == ' ' || *first == '\t')) {
        ++first;
    }
    if (first != last && *first == '+') {
        ++first;
    }
    if (table == LevelTable::Record) {
        double value = 0.0;
        const auto result = std::from_chars(first, last, value);
        if (result.ec != std::errc()) {
            return std::nullopt;
        }
        return value;
    }
    int value = 0;
    const auto result = std::from_chars(first, last, value);
    if (result.ec != std::errc()) {
        return std::nullopt;
    }
    return value;
}

RangeWord EncodeRangeWord(int value)
{
    return RangeWord{0, static_cast<std::uint8_t>(value & 0xFF)};
}

int DecodeRangeWord(std::uint8_t low, std::uint8_t high)
{
    const auto word = static_cast<std::int16_t>(static_cast<std::uint16_t>(high << 8 | low));
    return word / 256;
}

int RecordCodeForLevel(double level)
{
    for (int i = 0; i < kRecordLevelCount; ++i) {
        if (RecordLevels[static_cast<std::size_t>(i)] >= level) {
            return RecordCodes[static_cast<std::size_t>(i)];
        }
    }
    return RecordCodes.back();
}

float RecordLevelForCode(int code)
{
    for (int i = 0; i < kRecordLevelCount; ++i) {
        if (RecordCodes[static_cast<std::size_t>(i)] >= code) {
            return RecordLevels[static_cast<std::size_t>(i)];
        }
    }
    return RecordLevels.back();
}

bool FitsMicRecordInitial(double level)
{
    return RecordCodeForLevel(level) >= kLowestMicRecordInitialCode;
}

std::uint8_t EncodePlaybackInitial(int level)
{
    return static_cast<std::uint8_t>((7 - level) & 0xFF);
}

std::uint8_t EncodeMicRecordInitial(double level)
{
    // A lower code would spill into the mute bits 5-7, so it is held at the lowest that fits.
    const int code = std::max(RecordCodeForLevel(level), kLowestMicRecordInitialCode);
    return static_cast<std::uint8_t>(34 - code);
}

std::uint8_t EncodeMicAaInitial(int level)
{
    return static_cast<std::uint8_t>((32 - level) & 0xFF);
}

std::uint8_t EncodeLineRecordInitial(double level)
{
    return static_cast<std::uint8_t>((34 - RecordCodeForLevel(level)) & 0xFF);
}

std::uint8_t EncodeLineAaInitial(int level)
{
    return static_cast<std::uint8_t>((32 - level) & 0xFF);
}

int DecodePlaybackInitial(std::uint8_t reg10)
{
    return 7 - (reg10 & 0x3F);
}

float DecodeMicRecordInitial(std::uint8_t reg11)
{
    return RecordLevelForCode(34 - (reg11 & 0x1F));
}

int DecodeMicAaInitial(std::uint8_t reg12)
{
    return 32 - (reg12 & 0x3F);
}

float DecodeLineRecordInitial(std::uint8_t reg69)
{
    return RecordLevelForCode(34 - static_cast<int>(reg69));
}

int DecodeLineAaInitial(std::uint8_t reg70)
{
    return 32 - static_cast<int>(reg70);
}

}  // namespace tovrik
