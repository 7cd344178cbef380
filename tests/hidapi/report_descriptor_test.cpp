// SPDX-License-Identifier: MIT
// The declared input report length, read from report descriptors as the
// kernel hands them over (untrusted bytes).
#include <gtest/gtest.h>

#include <vector>

#include "device/hidapi/report_descriptor.h"

namespace tovrik {
namespace {

std::optional<int> Length(const std::vector<std::uint8_t>& d)
{
    return InputReportByteLength(d.data(), d.size());
}

TEST(InputReportLengthTest, LongestNumberedInputReportPlusItsId)
{
    // Report 1: 16 bytes in; report 2: 3 bytes + 4 bits in and 40 bytes out;
    // report 3: two input items adding up to 20 bytes.
    const std::vector<std::uint8_t> d = {
        0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,        // usage page, usage, collection
        0x75, 0x08, 0x85, 0x01, 0x95, 0x10, 0x81, 0x02,  // id 1: 8 bits x 16
        0x85, 0x02, 0x95, 0x03, 0x81, 0x02,              // id 2: 8 x 3
        0x75, 0x04, 0x95, 0x01, 0x81, 0x03,              //       4 x 1 -> 28 bits
        0x75, 0x08, 0x95, 0x28, 0x91, 0x02,              //       output: not counted
        0x85, 0x03, 0x95, 0x0C, 0x81, 0x02,              // id 3: 12 bytes
        0x95, 0x08, 0x81, 0x02,                          //       + 8 bytes
        0xC0,
    };
    EXPECT_EQ(Length(d), 21);
}

TEST(InputReportLengthTest, UnnumberedReportsStillCountAnIdByte)
{
    // A boot keyboard's 8-byte input report, no report ids.
    const std::vector<std::uint8_t> d = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x75, 0x01,
                                         0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08,
                                         0x81, 0x01, 0x95, 0x06, 0x81, 0x00, 0xC0};
    EXPECT_EQ(Length(d), 9);
    // Only outputs: no input report at all.
    EXPECT_EQ(Length({0x75, 0x08, 0x95, 0x10, 0x91, 0x02}), 0);
    EXPECT_EQ(Length({}), 0);
}

TEST(InputReportLengthTest, PushAndPopRestoreTheGlobals)
{
    const std::vector<std::uint8_t> d = {
        0x75, 0x08, 0x95, 0x04,  // 4 bytes
        0xA4,                    // push
        0x95, 0x20, 0x91, 0x02,  // 32-byte output inside
        0xB4,                    // pop: count back to 4
        0x81, 0x02,
    };
    EXPECT_EQ(Length(d), 5);
}

TEST(InputReportLengthTest, MultiByteDataAndLongItemsAreStepped)
{
    // Report Count in two bytes (0x0100 = 256), a long item in between.
    const std::vector<std::uint8_t> d = {0x75, 0x08, 0x96, 0x00, 0x01, 0xFE,
                                         0x02, 0x10, 0xAA, 0xBB, 0x81, 0x02};
    EXPECT_EQ(Length(d), 257);
    // Four-byte data.
    EXPECT_EQ(Length({0x77, 0x08, 0x00, 0x00, 0x00, 0x95, 0x02, 0x81, 0x02}), 3);
}

TEST(InputReportLengthTest, MalformedDescriptorsAreRefused)
{
    EXPECT_EQ(Length({0x75}), std::nullopt) << "data byte missing";
    EXPECT_EQ(Length({0x96, 0x01}), std::nullopt) << "second data byte missing";
    EXPECT_EQ(Length({0xFE, 0x05, 0x10, 0x00}), std::nullopt) << "long item cut short";
    EXPECT_EQ(Length({0xFE, 0x00}), std::nullopt) << "long item header cut short";
    EXPECT_EQ(Length({0xB4}), std::nullopt) << "pop without push";
    EXPECT_EQ(Length({0x85, 0x00}), std::nullopt) << "report id 0";
    EXPECT_EQ(Length({0x86, 0x00, 0x01}), std::nullopt) << "report id above 255";
    EXPECT_EQ(Length(std::vector<std::uint8_t>(17, 0xA4)), std::nullopt) << "pushes unbounded";
    EXPECT_EQ(InputReportByteLength(nullptr, 4), std::nullopt);
}

TEST(InputReportLengthTest, HugeCountsDoNotOverflow)
{
    // 0xFFFFFFFF bits x 0xFFFFFFFF, twice: capped, never wrapping to a small length.
    const std::vector<std::uint8_t> d = {0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF,
                                         0xFF, 0xFF, 0xFF, 0x81, 0x02, 0x81, 0x02};
    const auto length = Length(d);
    ASSERT_TRUE(length.has_value());
    EXPECT_EQ(*length, 65536 + 1);
}

}  // namespace
}  // namespace tovrik
