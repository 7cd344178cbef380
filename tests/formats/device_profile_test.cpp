// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "formats/device_profile.h"
#include "formats/hex_text.h"

namespace tovrik {
namespace {

TEST(ParseHexTextTest, ReadsUpToEightDigitsAndCountsOtherCharactersAsZero)
{
    EXPECT_EQ(ParseHexText(""), 0u);
    EXPECT_EQ(ParseHexText("1a2b"), 0x1A2Bu);
    EXPECT_EQ(ParseHexText("1A2B"), 0x1A2Bu);
    EXPECT_EQ(ParseHexText("1G2"), 0x102u);
    EXPECT_EQ(ParseHexText(" 12"), 0x012u);
    EXPECT_EQ(ParseHexText("FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseHexText("123456789"), 0x12345678u);
    EXPECT_EQ(ParseHexText("12345") & 0xFFFF, 0x2345u);
}

TEST(ClassifyDeviceCodeTest, FollowsTheTableForEveryCode)
{
    struct Row {
        int first, last;
        const char* type;
        int mic, line, eq;
    };
    const Row table[] = {
        {0, 1, "Speaker", 0, 0, 0},
        {2, 5, "Speaker", 0, 0, 1},
        {6, 11, "Microphone", 1, 0, 0},
        {12, 14, "Headset with Line-In", 1, 1, 0},
        {15, 19, "Headset with Line-In", 1, 1, 1},
        {20, 22, "Headset with Line-In", 1, 1, 0},
        {23, 25, "Headset with Line-In", 1, 1, 1},
        {26, 27, "Headset", 1, 0, 0},
        {28, 31, "Headset", 1, 0, 1},
    };
    for (const Row& row : table) {
        for (int c = row.first; c <= row.last; ++c) {
            DeviceProfile profile;
            ASSERT_EQ(ClassifyDeviceCode(static_cast<std::uint8_t>(c), profile), 1) << c;
            EXPECT_EQ(profile.code, c);
            EXPECT_EQ(profile.typeName, row.type) << c;
            EXPECT_EQ(profile.hasMicIn, row.mic) << c;
            EXPECT_EQ(profile.hasLineIn, row.line) << c;
            EXPECT_EQ(profile.hasEq, row.eq) << c;
        }
    }
    for (int c = 32; c < 256; ++c) {
        DeviceProfile profile;
        profile.typeName = "stale";
        profile.hasEq = 1;
        ASSERT_EQ(ClassifyDeviceCode(static_cast<std::uint8_t>(c), profile), 0) << c;
        EXPECT_EQ(profile.code, 0);
        EXPECT_EQ(profile.typeName, "");
        EXPECT_EQ(profile.hasEq, 0);
    }
}

}  // namespace
}  // namespace tovrik
