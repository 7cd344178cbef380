// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <climits>

#include "formats/decimal_text.h"

namespace tovrik {
namespace {

TEST(ParseLeadingIntegerTest, ReadsTheLeadingDecimalIntegerAndSaturates)
{
    EXPECT_EQ(ParseLeadingInteger("12"), 12);
    EXPECT_EQ(ParseLeadingInteger("  12abc"), 12);
    EXPECT_EQ(ParseLeadingInteger("\t+7"), 7);
    EXPECT_EQ(ParseLeadingInteger("-3"), -3);
    EXPECT_EQ(ParseLeadingInteger("0x10"), 0);
    EXPECT_EQ(ParseLeadingInteger("abc"), std::nullopt);
    EXPECT_EQ(ParseLeadingInteger("-"), std::nullopt);
    EXPECT_EQ(ParseLeadingInteger(""), std::nullopt);
    EXPECT_EQ(ParseLeadingInteger("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseLeadingInteger("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(ParseLeadingInteger("2147483648"), INT_MAX);
    EXPECT_EQ(ParseLeadingInteger("-2147483648"), INT_MIN);
}

}  // namespace
}  // namespace tovrik
