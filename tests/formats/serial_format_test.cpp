// SPDX-License-Identifier: MIT
#include "formats/serial_format.h"

#include <gtest/gtest.h>

namespace tovrik {
namespace {

TEST(SerialFormatTest, OneIntegerConversionWithFlagsWidthAndEscapedPercents)
{
    std::string error;
    EXPECT_EQ(SerialFormat::Parse("%%%05X-%%", error)->Format(0xbeef), "%0BEEF-%");
    EXPECT_EQ(SerialFormat::Parse("TK23-%06d", error)->Format(999999999999LL), "TK23-999999999999");
    EXPECT_EQ(SerialFormat::Parse("S%-4u|", error)->Format(7), "S7   |");
    for (const char* bad :
         {"TK-%s", "TK-%d-%d", "TK-nothing", "%n", "%*d", "%100d", "%.100d", "ends-in-%", "%ld"}) {
        error.clear();
        EXPECT_FALSE(SerialFormat::Parse(bad, error)) << bad;
        EXPECT_EQ(error.rfind(bad, 0), 0u) << "the reason names the format: " << error;
    }
}

}  // namespace
}  // namespace tovrik
