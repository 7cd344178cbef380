// SPDX-License-Identifier: MIT
#include "platform/win32/wide_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tovrik {
namespace {

using namespace std::string_literals;

TEST(WideTextTest, TextsConvertBothWaysAndBack)
{
    EXPECT_EQ(Widen("Tovrik \xc3\xa9"), L"Tovrik \u00e9");
    EXPECT_EQ(Narrow(L"Tovrik \u00e9"), "Tovrik \xc3\xa9");
    EXPECT_EQ(Narrow(Widen("Tovrik \xc3\xa9")), "Tovrik \xc3\xa9");
    EXPECT_EQ(Widen(""), L"");
    EXPECT_EQ(Narrow(std::wstring()), "");
}

TEST(WideTextTest, CharactersBeyondTheFirstPlaneTakeASurrogatePair)
{
    EXPECT_EQ(Widen("\xf0\x9f\x8e\xa7"), L"\xd83c\xdfa7");
    EXPECT_EQ(Narrow(L"\xd83c\xdfa7"), "\xf0\x9f\x8e\xa7");
}

TEST(WideTextTest, AnUnpairedSurrogateBecomesTheReplacementCharacter)
{
    EXPECT_EQ(Narrow(L"a\xdc00" L"b"), "a\xef\xbf\xbd" "b");
    EXPECT_EQ(Narrow(L"a\xd800" L"b"), "a\xef\xbf\xbd" "b");
    // A high surrogate at the very end has nothing to pair with.
    EXPECT_EQ(Narrow(L"a\xd800"), "a\xef\xbf\xbd");
    // Two high surrogates: the first is unpaired, the second pairs with its low one.
    EXPECT_EQ(Narrow(L"\xd800\xd83c\xdfa7"), "\xef\xbf\xbd\xf0\x9f\x8e\xa7");
}

TEST(WideTextTest, BytesThatAreNoUtf8BecomeTheReplacementCharacter)
{
    EXPECT_EQ(Widen("a\xff" "b"), L"a\xfffd" L"b");
}

TEST(WideTextTest, ALengthIsKeptAcrossNuls)
{
    EXPECT_EQ(Widen("a\0b"s), L"a\0b"s);
    EXPECT_EQ(Narrow(L"a\0b"s), "a\0b"s);
    // A text the system returned ends at its first NUL.
    EXPECT_EQ(Narrow(L"ab\0c"), "ab");
    EXPECT_EQ(Narrow(static_cast<const wchar_t*>(nullptr)), "");
}

}  // namespace
}  // namespace tovrik
