// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrik {

// One blank-separated word of a script line.
struct ScriptToken {
    std::string text;  // the value, quotes removed and escapes resolved
    std::string raw;   // as written in the line
    bool quoted = false;
};

// Splits a line into tokens. A token in double quotes may hold blanks and the
// escapes \" \\ \n \t. False with a reason for an unterminated quote, an
// unknown escape or a quote glued to other characters.
bool TokenizeScriptLine(std::string_view line, std::vector<ScriptToken>& tokens,
                        std::string& error);

// A number as scripts write counts and positions: decimal, or hexadecimal
// after 0x; nothing when malformed or above `maximum`.
std::optional<std::uint32_t> ParseScriptNumber(std::string_view text,
                                               std::uint32_t maximum = 0xFFFFFFFFu);
// Like ParseScriptNumber, with an optional leading '-' (slider positions).
std::optional<std::int64_t> ParseScriptSignedNumber(std::string_view text);
// Addresses, bytes and ids: hexadecimal digits only, without 0x.
std::optional<std::uint32_t> ParseScriptHex(std::string_view text, std::uint32_t maximum);

// A text in double quotes with \" \\ and \n escaped, for printed values.
std::string QuoteScriptText(std::string_view text);
// A prompt text on one line: line breaks written as \n, nothing else changed.
std::string OneLineText(std::string_view text);

}  // namespace tovrik
