// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "command_line.h"
#include "file_filter.h"

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
}

// The options of every front end are tested with the desktop tool's; here what
// only Windows takes.
TEST(Win32FrontEndTest, TheCommandLineAlsoTakesSlashHelpAndTheVendorLibrary)
{
    EXPECT_TRUE(ParseCommandLine({"/?"}).help);
    EXPECT_EQ(ParseCommandLine({"--vendor-library", "C:\\lib.dll"}).vendorLibrary, "C:\\lib.dll");
    EXPECT_EQ(ParseCommandLine({"--vendor-library=x.dll"}).vendorLibrary, "x.dll");
    EXPECT_FALSE(ParseCommandLine({"--vendor-library"}).error.empty());
    EXPECT_FALSE(ParseCommandLine({"--simulate", "--vendor-library=x.dll"}).error.empty());
    EXPECT_FALSE(ParseCommandLine({"-platform", "x"}).error.empty());
    EXPECT_NE(UsageText().find("[--vendor-library PATH]"), std::string::npos);
}

}  // namespace
}  // namespace tovrik::win32
