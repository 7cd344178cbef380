// SPDX-License-Identifier: MIT
#include "platform/latin1_text.h"

#include <cstdint>
#include <cstdio>

namespace tovrik {
namespace {

// Decodes the character at `at`; its code point and length, or length 0 for
// a byte that starts no valid (shortest-form, non-surrogate) character.
struct Decoded {
    std::uint32_t code = 0;
    std::size_t length = 0;
};

Decoded DecodeAt(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        return {lead, 1};
    }
    std::size_t length = 0;
    std::uint32_t code = 0;
    std::uint32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
        minimum = 0x10000;
    } else {
        return {};
    }
    if (text.size() - at < length) {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return {};
        }
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return {};
    }
    return {code, length};
}

}  // namespace

void AppendUtf8(std::string& text, std::uint32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        c = 0xFFFD;
    }
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Latin1ToUtf8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        AppendUtf8(text, static_cast<unsigned char>(c));
    }
    return text;
}

bool Utf8ToLatin1(std::string_view text, std::string& bytes, std::string& refused)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const Decoded d = DecodeAt(text, at);
        char name[16];
        if (d.length == 0) {
            std::snprintf(name, sizeof name, "byte 0x%02X", static_cast<unsigned char>(text[at]));
            refused = name;
            return false;
        }
        if (d.code > 0xFF) {
            std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(d.code));
            refused = "\"" + std::string(text.substr(at, d.length)) + "\" (" + name + ")";
            return false;
        }
        out += static_cast<char>(d.code);
        at += d.length;
    }
    bytes = std::move(out);
    return true;
}

std::size_t Utf8Length(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); ++count) {
        const Decoded d = DecodeAt(text, at);
        at += d.length == 0 ? 1 : d.length;
    }
    return count;
}

std::string_view Utf8Prefix(std::string_view text, std::size_t count)
{
    std::size_t at = 0;
    for (std::size_t n = 0; n < count && at < text.size(); ++n) {
        const Decoded d = DecodeAt(text, at);
        at += d.length == 0 ? 1 : d.length;
    }
    return text.substr(0, at);
}

}  // namespace tovrik
