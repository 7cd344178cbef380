// SPDX-License-Identifier: MIT
#include "device/transfer_floor.h"

#include <gtest/gtest.h>

namespace tovrik {
namespace {

// Every figure below is worked out by hand with F = 1000, B = 90, T = 5000.
TEST(TransferFloor, ReadAndWriteFormulas)
{
    const WireCosts c;
    EXPECT_EQ(ReadFloorUs(c, 1), 2000u + 4 * 90);
    EXPECT_EQ(ReadFloorUs(c, 16), 2000u + 19 * 90);
    EXPECT_EQ(ReadFloorUs(c, 17), 3000u + 20 * 90);
    EXPECT_EQ(WriteFloorUs(c, 0, 0), 2000u);
    // One 8-byte page: 5000 + 3000 + 900, read back 2000 + 990.
    EXPECT_EQ(WriteFloorUs(c, 1, 8), 11890u);
    // Two pages, 20 bytes: 10000 + 4000 + 2160, read back 3000 + 2340.
    EXPECT_EQ(WriteFloorUs(c, 2, 20), 21500u);
}

TEST(TransferFloor, UnseenBytesAreReadFirstAndUnchangedPagesCostNothing)
{
    TransferFloor floor;
    std::vector<std::uint8_t> eeprom(256, 0xFF);
    const std::uint8_t four[4] = {1, 2, 3, 4};
    // Nothing seen: read 6..9 (2630), then pages 0 and 1 change with 4 bytes
    // (10000 + 3000 + 720, read back 2000 + 900).
    EXPECT_EQ(floor.Write(6, four, 4, eeprom, 8), 2630u + 13720 + 2900);
    std::copy_n(four, 4, eeprom.begin() + 6);
    // Now known and equal: the request and its confirmation.
    EXPECT_EQ(floor.Write(6, four, 4, eeprom, 8), 2000u);

    floor.Reset();
    EXPECT_EQ(floor.Read(0, 8), 2000u + 11 * 90);
    // Only 8..9 unseen (2450); page 1 changes in 2 bytes (5000 + 3000 + 360, 2000 + 450).
    const std::uint8_t changed[4] = {1, 2, 9, 9};
    EXPECT_EQ(floor.Write(6, changed, 4, eeprom, 8), 2450u + 8360 + 2450);
}

}  // namespace
}  // namespace tovrik
