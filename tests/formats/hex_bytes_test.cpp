// SPDX-License-Identifier: MIT
#include "formats/hex_bytes.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace tovrik {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The bytes a text gives, with room for all of them.
Bytes Parse(const std::string& text)
{
    std::array<std::uint8_t, 64> buffer{};
    const int count = ParseHexBytes(text, buffer);
    EXPECT_LE(count, 64);
    return Bytes(buffer.begin(), buffer.begin() + count);
}

TEST(ParseHexBytesTest, EachBlankSeparatedGroupGivesOneByte)
{
    EXPECT_EQ(Parse("12 ab 3"), (Bytes{0x12, 0xAB, 0x03}));
    EXPECT_EQ(Parse("12  34"), (Bytes{0x12, 0x34}));
    EXPECT_EQ(Parse("   7f    80   "), (Bytes{0x7F, 0x80}));
    EXPECT_EQ(Parse("ff"), (Bytes{0xFF}));
    EXPECT_EQ(Parse(""), Bytes{});
    EXPECT_EQ(Parse("     "), Bytes{});
}

TEST(ParseHexBytesTest, OnlyTheLastTwoHexDigitsOfAGroupCount)
{
    EXPECT_EQ(Parse("1234"), (Bytes{0x34}));
    EXPECT_EQ(Parse("abcdef 100"), (Bytes{0xEF, 0x00}));
    // Other characters are skipped: the X of a prefix, letters past F.
    EXPECT_EQ(Parse("0x1F 1g2"), (Bytes{0x1F, 0x12}));
    EXPECT_EQ(Parse("zz 5"), (Bytes{0x00, 0x05}));
}

TEST(ParseHexBytesTest, CaseDoesNotMatter)
{
    EXPECT_EQ(Parse("ab AB aB Ab"), (Bytes{0xAB, 0xAB, 0xAB, 0xAB}));
    EXPECT_EQ(Parse("c0 C0"), (Bytes{0xC0, 0xC0}));
}

TEST(ParseHexBytesTest, OnlyBlanksSeparateTabsAndLineBreaksStayInTheirGroup)
{
    EXPECT_EQ(Parse("12\n34"), (Bytes{0x34}));
    EXPECT_EQ(Parse("12\r\n34 56"), (Bytes{0x34, 0x56}));
    EXPECT_EQ(Parse("12\t34"), (Bytes{0x34}));
    // A tab between two blanks is a group of its own without a digit.
    EXPECT_EQ(Parse("12 \t 34"), (Bytes{0x12, 0x00, 0x34}));
    // White space of any kind at either end is trimmed first.
    EXPECT_EQ(Parse("\t\n 12 34 \r\n"), (Bytes{0x12, 0x34}));
    EXPECT_EQ(Parse("\t"), Bytes{});
}

TEST(ParseHexBytesTest, NeverWritesPastTheCapacityButCountsEveryGroup)
{
    std::array<std::uint8_t, 6> buffer;
    buffer.fill(0xEE);
    const int count = ParseHexBytes("01 02 03 04 05", std::span(buffer).first(3));
    EXPECT_EQ(count, 5);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.end()), (Bytes{0x01, 0x02, 0x03, 0xEE, 0xEE, 0xEE}));

    EXPECT_EQ(ParseHexBytes("01 02", std::span<std::uint8_t>()), 2);

    // Exactly full is not over.
    std::array<std::uint8_t, 3> exact{};
    EXPECT_EQ(ParseHexBytes("aa bb cc", exact), 3);
    EXPECT_EQ(Bytes(exact.begin(), exact.end()), (Bytes{0xAA, 0xBB, 0xCC}));
}

}  // namespace
}  // namespace tovrik
