// SPDX-License-Identifier: MIT
#include "script/script_syntax.h"

#include <gtest/gtest.h>

namespace tovrik {
namespace {

std::vector<ScriptToken> Tokens(std::string_view line)
{
    std::vector<ScriptToken> tokens;
    std::string error;
    EXPECT_TRUE(TokenizeScriptLine(line, tokens, error)) << error;
    return tokens;
}

std::string TokenizeError(std::string_view line)
{
    std::vector<ScriptToken> tokens;
    std::string error;
    EXPECT_FALSE(TokenizeScriptLine(line, tokens, error)) << line;
    return error;
}

TEST(ScriptTokenizer, SplitsOnBlanksAndTabs)
{
    const auto t = Tokens("  sim\tpoke  10 ff\t");
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].text, "sim");
    EXPECT_EQ(t[1].text, "poke");
    EXPECT_EQ(t[3].text, "ff");
    EXPECT_FALSE(t[3].quoted);
    EXPECT_TRUE(Tokens("   ").empty());
    EXPECT_TRUE(Tokens("").empty());
}

TEST(ScriptTokenizer, QuotedTokensKeepBlanksAndResolveEscapes)
{
    const auto t = Tokens(R"(type 1001 "a \"b\" c\\d\n\te" "")");
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[2].text, "a \"b\" c\\d\n\te");
    EXPECT_TRUE(t[2].quoted);
    EXPECT_EQ(t[2].raw, R"("a \"b\" c\\d\n\te")");
    EXPECT_EQ(t[3].text, "");
    EXPECT_TRUE(t[3].quoted);
    // A quoted "cancel" or "#1" stays distinguishable from the bare word.
    EXPECT_TRUE(Tokens("file \"cancel\"")[1].quoted);
}

TEST(ScriptTokenizer, RefusesMalformedQuotes)
{
    EXPECT_EQ(TokenizeError("type 1 \"open"), "unterminated quote");
    EXPECT_EQ(TokenizeError("type 1 \"ends in backslash\\"), "unterminated quote");
    EXPECT_EQ(TokenizeError(R"(type 1 "bad \x")"), "unknown escape \\x");
    EXPECT_EQ(TokenizeError("type 1 \"a\"b"), "blank expected after a closing quote");
    EXPECT_EQ(TokenizeError("type 1 a\"b\""), "quote inside a word");
}

TEST(ScriptNumbers, DecimalOrHexadecimalWithPrefix)
{
    EXPECT_EQ(ParseScriptNumber("0"), 0u);
    EXPECT_EQ(ParseScriptNumber("256"), 256u);
    EXPECT_EQ(ParseScriptNumber("0x1F"), 31u);
    EXPECT_EQ(ParseScriptNumber("0X1f"), 31u);
    EXPECT_EQ(ParseScriptNumber("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseScriptNumber("0xFFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_FALSE(ParseScriptNumber("4294967296"));
    EXPECT_FALSE(ParseScriptNumber("0x100000000"));
    EXPECT_FALSE(ParseScriptNumber(""));
    EXPECT_FALSE(ParseScriptNumber("0x"));
    EXPECT_FALSE(ParseScriptNumber("1f"));
    EXPECT_FALSE(ParseScriptNumber("-1"));
    EXPECT_FALSE(ParseScriptNumber("+1"));
    EXPECT_FALSE(ParseScriptNumber("12 "));
    EXPECT_EQ(ParseScriptNumber("255", 255), 255u);
    EXPECT_FALSE(ParseScriptNumber("256", 255));
    EXPECT_FALSE(ParseScriptNumber("0x100", 255));
}

TEST(ScriptNumbers, SignedPositions)
{
    EXPECT_EQ(ParseScriptSignedNumber("-12"), -12);
    EXPECT_EQ(ParseScriptSignedNumber("-0x10"), -16);
    EXPECT_EQ(ParseScriptSignedNumber("7"), 7);
    EXPECT_EQ(ParseScriptSignedNumber("-4294967295"), -4294967295LL);
    EXPECT_FALSE(ParseScriptSignedNumber("-"));
    EXPECT_FALSE(ParseScriptSignedNumber("--1"));
}

TEST(ScriptNumbers, HexadecimalFieldsTakeNoPrefix)
{
    EXPECT_EQ(ParseScriptHex("ff", 0xFF), 0xFFu);
    EXPECT_EQ(ParseScriptHex("1A2b", 0xFFFF), 0x1A2Bu);
    EXPECT_EQ(ParseScriptHex("0001", 0xFFFF), 1u);
    EXPECT_FALSE(ParseScriptHex("0x10", 0xFFFF));
    EXPECT_FALSE(ParseScriptHex("100", 0xFF));
    EXPECT_FALSE(ParseScriptHex("1g", 0xFF));
    EXPECT_FALSE(ParseScriptHex("", 0xFF));
}

TEST(ScriptOutputText, QuotesAndLineBreaks)
{
    EXPECT_EQ(QuoteScriptText(""), "\"\"");
    EXPECT_EQ(QuoteScriptText("a \"b\" c\\d\ne"), R"("a \"b\" c\\d\ne")");
    EXPECT_EQ(OneLineText("Save.\n\nPlease \"re-plug\""), "Save.\\n\\nPlease \"re-plug\"");
}

}  // namespace
}  // namespace tovrik
