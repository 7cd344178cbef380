// SPDX-License-Identifier: MIT
// The level tables and the register conversions of the volume settings.
#include "pages/config/volume_levels.h"

#include <gtest/gtest.h>

#include <string>

namespace tovrik {
namespace {

TEST(VolumeLevelTablesTest, TablesRunInTheirStepsAndShowInTheirFormats)
{
    EXPECT_EQ(PlaybackLevels.front(), -40);
    EXPECT_EQ(PlaybackLevels.back(), 0);
    EXPECT_EQ(AaLevels.front(), -30);
    EXPECT_EQ(AaLevels.back(), 32);
    EXPECT_EQ(RecordLevels[0], -12.0f);
    EXPECT_EQ(RecordLevels[8], 0.0f);
    EXPECT_EQ(RecordLevels[30], 33.0f);  // last 1.5 dB step
    EXPECT_EQ(RecordLevels[31], 34.0f);  // first 1.0 dB step
    EXPECT_EQ(RecordLevels[42], 45.0f);
    for (int i = 0; i < kRecordLevelCount; ++i) {
        EXPECT_EQ(RecordCodes[static_cast<std::size_t>(i)], i - 8);
    }
    for (LevelTable table : {LevelTable::Playback, LevelTable::Record, LevelTable::Aa}) {
        for (int i = 1; i < LevelCount(table); ++i) {
            EXPECT_LT(LevelValue(table, i - 1), LevelValue(table, i));
        }
    }

    EXPECT_EQ(LevelText(LevelTable::Playback, 0), "-40");
    EXPECT_EQ(LevelText(LevelTable::Playback, 40), "0");
    EXPECT_EQ(LevelText(LevelTable::Aa, 62), "32");
    EXPECT_EQ(LevelText(LevelTable::Record, 0), "-12.0");
    EXPECT_EQ(LevelText(LevelTable::Record, 1), "-10.5");
    EXPECT_EQ(LevelText(LevelTable::Record, 8), "0.0");
    EXPECT_EQ(LevelText(LevelTable::Record, 42), "45.0");
}

TEST(VolumeLevelTablesTest, TextsReadBackToExactlyTheirTableValues)
{
    for (LevelTable table : {LevelTable::Playback, LevelTable::Record, LevelTable::Aa}) {
        for (int i = 0; i < LevelCount(table); ++i) {
            const auto value = ParseLevelText(table, LevelText(table, i));
            ASSERT_TRUE(value.has_value()) << i;
            EXPECT_EQ(*value, LevelValue(table, i)) << LevelText(table, i);
        }
    }
    EXPECT_EQ(ParseLevelText(LevelTable::Aa, "-7 dB"), -7.0);
    EXPECT_EQ(ParseLevelText(LevelTable::Record, "4.5"), 4.5);
    EXPECT_FALSE(ParseLevelText(LevelTable::Playback, "").has_value());
    EXPECT_FALSE(ParseLevelText(LevelTable::Record, "dB").has_value());
}

TEST(RangeWordTest, EncodesTheSignedHighByteAndDecodesTowardZero)
{
    EXPECT_EQ(EncodeRangeWord(-40), (RangeWord{0x00, 0xD8}));
    EXPECT_EQ(EncodeRangeWord(0), (RangeWord{0x00, 0x00}));
    EXPECT_EQ(EncodeRangeWord(34), (RangeWord{0x00, 0x22}));
    EXPECT_EQ(EncodeRangeWord(-8), (RangeWord{0x00, 0xF8}));
    EXPECT_EQ(DecodeRangeWord(0x00, 0xD8), -40);
    EXPECT_EQ(DecodeRangeWord(0x80, 0xFF), 0);  // -128 / 256 truncates to 0, not -1
    EXPECT_EQ(DecodeRangeWord(0x00, 0x80), -128);
    EXPECT_EQ(DecodeRangeWord(0xFF, 0x7F), 127);
    EXPECT_EQ(DecodeRangeWord(0x01, 0xF6), -9);  // -2559 / 256
    for (int value = -128; value <= 127; ++value) {
        const RangeWord word = EncodeRangeWord(value);
        EXPECT_EQ(DecodeRangeWord(word.low, word.high), value);
    }
}

TEST(RecordCodeTest, LevelsAndCodesMapToTheFirstEntryNotBelow)
{
    EXPECT_EQ(RecordCodeForLevel(-12.0), -8);
    EXPECT_EQ(RecordCodeForLevel(0.0), 0);
    EXPECT_EQ(RecordCodeForLevel(0.5), 1);  // 1.5 dB is the first entry not below
    EXPECT_EQ(RecordCodeForLevel(30.0), 20);
    EXPECT_EQ(RecordCodeForLevel(33.0), 22);
    EXPECT_EQ(RecordCodeForLevel(34.0), 23);
    EXPECT_EQ(RecordCodeForLevel(45.0), 34);
    EXPECT_EQ(RecordCodeForLevel(50.0), 34);
    EXPECT_EQ(RecordCodeForLevel(-100.0), -8);

    EXPECT_EQ(RecordLevelForCode(-8), -12.0f);
    EXPECT_EQ(RecordLevelForCode(-50), -12.0f);
    EXPECT_EQ(RecordLevelForCode(20), 30.0f);
    EXPECT_EQ(RecordLevelForCode(23), 34.0f);
    EXPECT_EQ(RecordLevelForCode(34), 45.0f);
    EXPECT_EQ(RecordLevelForCode(35), 45.0f);

    for (float level : RecordLevels) {
        EXPECT_EQ(RecordLevelForCode(RecordCodeForLevel(level)), level);
    }
}

TEST(InitialLevelTest, EncodersGiveTheRegisterFields)
{
    EXPECT_EQ(EncodePlaybackInitial(-40), 47);
    EXPECT_EQ(EncodePlaybackInitial(0), 7);
    EXPECT_EQ(EncodePlaybackInitial(-9), 16);
    EXPECT_EQ(EncodeMicRecordInitial(30.0), 14);
    EXPECT_EQ(EncodeMicRecordInitial(44.0), 1);
    EXPECT_EQ(EncodeMicRecordInitial(45.0), 0);
    EXPECT_EQ(EncodeMicRecordInitial(4.5), 31);
    EXPECT_EQ(EncodeMicAaInitial(0), 32);
    EXPECT_EQ(EncodeMicAaInitial(-30), 62);
    EXPECT_EQ(EncodeMicAaInitial(32), 0);
    EXPECT_EQ(EncodeLineRecordInitial(-12.0), 42);
    EXPECT_EQ(EncodeLineRecordInitial(-3.0), 36);
    EXPECT_EQ(EncodeLineAaInitial(0), 32);
    EXPECT_EQ(EncodeLineAaInitial(-30), 62);
}

TEST(InitialLevelTest, MicRecordLevelsBelowTheFieldNeverReachTheMuteBits)
{
    EXPECT_FALSE(FitsMicRecordInitial(-12.0));
    EXPECT_FALSE(FitsMicRecordInitial(3.0));
    EXPECT_TRUE(FitsMicRecordInitial(4.5));
    for (float level : RecordLevels) {
        EXPECT_EQ(EncodeMicRecordInitial(level) & 0xE0, 0) << level;
    }
    EXPECT_EQ(EncodeMicRecordInitial(-12.0), 31);  // held at 4.5 dB
}

TEST(InitialLevelTest, DecodersReadLevelAndFlags)
{
    EXPECT_EQ(DecodeMicRecordInitial(0x0E), 30.0f);
    EXPECT_EQ(DecodeMicRecordInitial(0xCE), 30.0f);
    EXPECT_EQ(RegisterFlag(0xCE, 7), 1);
    EXPECT_EQ(RegisterFlag(0xCE, 6), 1);
    EXPECT_EQ(RegisterFlag(0xCE, 5), 0);
    EXPECT_EQ(RegisterFlag(0x0E, 7) + RegisterFlag(0x0E, 6) + RegisterFlag(0x0E, 5), 0);
    EXPECT_EQ(DecodeMicAaInitial(0xE0), 0);
    EXPECT_EQ(RegisterFlag(0xE0, 7), 1);
    EXPECT_EQ(RegisterFlag(0xE0, 6), 1);
    EXPECT_EQ(DecodePlaybackInitial(0x10), -9);
    EXPECT_EQ(DecodePlaybackInitial(0xC0 | 47), -40);
    EXPECT_EQ(DecodeMicRecordInitial(1), 44.0f);
    EXPECT_EQ(DecodeLineRecordInitial(200), -12.0f);  // 34 - 200 is below every code
    EXPECT_EQ(DecodeLineRecordInitial(36), -3.0f);
    EXPECT_EQ(DecodeLineAaInitial(32), 0);
    EXPECT_EQ(DecodeLineAaInitial(200), -168);
}

TEST(InitialLevelTest, EncodeAndDecodeAreInverseOnTheOfferedLevels)
{
    for (int level : PlaybackLevels) {
        EXPECT_EQ(DecodePlaybackInitial(EncodePlaybackInitial(level)), level);
    }
    for (int level : AaLevels) {
        EXPECT_EQ(DecodeMicAaInitial(EncodeMicAaInitial(level)), level);
        EXPECT_EQ(DecodeLineAaInitial(EncodeLineAaInitial(level)), level);
    }
    for (float level : RecordLevels) {
        EXPECT_EQ(DecodeLineRecordInitial(EncodeLineRecordInitial(level)), level);
        if (FitsMicRecordInitial(level)) {
            EXPECT_EQ(DecodeMicRecordInitial(EncodeMicRecordInitial(level)), level);
        }
    }
}

}  // namespace
}  // namespace tovrik
