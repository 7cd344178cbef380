// SPDX-License-Identifier: MIT
#include "script/script_syntax.h"

namespace tovrik {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Accumulates digits of one base, refusing an empty text and anything past `maximum`.
std::optional<std::uint32_t> ParseDigits(std::string_view digits, int base, std::uint32_t maximum)
{
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0 || d >= base) {
            return std::nullopt;
        }
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        if (value > maximum) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace

bool TokenizeScriptLine(std::string_view line, std::vector<ScriptToken>& tokens, std::string& error)
{
    tokens.clear();
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (true) {
        while (i < n && IsBlank(line[i])) {
            ++i;
        }
        if (i >= n) {
            return true;
        }
        const std::size_t start = i;
        ScriptToken token;
        if (line[i] == '"') {
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < n) {
                const char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c != '\\') {
                    token.text += c;
                    continue;
                }
                if (i >= n) {
                    break;
                }
                const char e = line[i++];
                switch (e) {
                    case '"':
                    case '\\':
                        token.text += e;
                        break;
                    case 'n':
                        token.text += '\n';
                        break;
                    case 't':
                        token.text += '\t';
                        break;
                    default:
                        error = std::string("unknown escape \\") + e;
                        return false;
                }
            }
            if (!closed) {
                error = "unterminated quote";
                return false;
            }
            if (i < n && !IsBlank(line[i])) {
                error = "blank expected after a closing quote";
                return false;
            }
        } else {
            while (i < n && !IsBlank(line[i])) {
                if (line[i] == '"') {
                    error = "quote inside a word";
                    return false;
                }
                token.text += line[i++];
            }
        }
        token.raw = std::string(line.substr(start, i - start));
        tokens.push_back(std::move(token));
    }
}

std::optional<std::uint32_t> ParseScriptNumber(std::string_view text, std::uint32_t maximum)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return ParseDigits(text.substr(2), 16, maximum);
    }
    return ParseDigits(text, 10, maximum);
}

std::optional<std::int64_t> ParseScriptSignedNumber(std::string_view text)
{
    const bool negative = !text.empty() && text[0] == '-';
    const auto magnitude = ParseScriptNumber(negative ? text.substr(1) : text);
    if (!magnitude) {
        return std::nullopt;
    }
    return negative ? -static_cast<std::int64_t>(*magnitude) : *magnitude;
}

std::optional<std::uint32_t> ParseScriptHex(std::string_view text, std::uint32_t maximum)
{
    return ParseDigits(text, 16, maximum);
}

std::string QuoteScriptText(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string OneLineText(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace tovrik
