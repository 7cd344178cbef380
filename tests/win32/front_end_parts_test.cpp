// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "wide_text.h"
#include "win32_session.h"

namespace tovrik::win32 {
namespace {

TEST(Win32FrontEndTest, TheToolsFilterBecomesTheSystemsNulSeparatedList)
{
    using namespace std::string_literals;
    EXPECT_EQ(SystemFilter("EERPOM files (*.bin)|*.bin||"),
              L"EERPOM files (*.bin)\0*.bin\0\0"s);
    EXPECT_EQ(SystemFilter("A|*.a|B|*.b;*.c||"), L"A\0*.a\0B\0*.b;*.c\0\0"s);
    // A description without patterns is dropped, not paired with the next entry.
    EXPECT_EQ(SystemFilter("A|*.a|B"), L"A\0*.a\0\0"s);
    EXPECT_EQ(Narrow(Widen("Tovrik \xc3\xa9")), "Tovrik \xc3\xa9");
}

TEST(Win32FrontEndTest, TheCommandLineTakesTheSameOptionsAsOnLinux)
{
    CommandLine line = ParseCommandLine({"--simulate=chip.bin", "--sim-code", "6", "--demo-features"});
    EXPECT_TRUE(line.error.empty());
    EXPECT_TRUE(line.simulate);
    EXPECT_EQ(line.simulateFile, "chip.bin");
    EXPECT_EQ(line.simCode, 6);
    EXPECT_TRUE(line.demoFeatures);
    EXPECT_FALSE(ParseCommandLine({"--sim-code=6"}).error.empty());
    EXPECT_FALSE(ParseCommandLine({"--simulate", "--sim-code", "256"}).error.empty());
    EXPECT_FALSE(ParseCommandLine({"--simulate="}).error.empty());
    EXPECT_FALSE(ParseCommandLine({"-platform", "x"}).error.empty());
    EXPECT_TRUE(ParseCommandLine({"--simulate", "--sim-timing", "real"}).simRealTiming);
    EXPECT_FALSE(ParseCommandLine({"--sim-timing=real"}).error.empty());
}

}  // namespace
}  // namespace tovrik::win32
