// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tovrik {

// The chip makes each stored string byte one UTF-16 code unit of its USB
// string descriptor, so stored strings are Latin-1 while the tool's texts are
// UTF-8. These convert between the two and count characters, not bytes.

// Appends one character as UTF-8; a surrogate or a value past U+10FFFF
// becomes U+FFFD.
void AppendUtf8(std::string& text, std::uint32_t character);

// Latin-1 bytes as UTF-8 text; every byte becomes one character.
std::string Latin1ToUtf8(std::string_view bytes);

// UTF-8 text as Latin-1 bytes. False when the text holds a character beyond
// U+00FF or a byte sequence that is no UTF-8; `refused` then names it
// ("\"€\" (U+20AC)" or "byte 0xFF") and `bytes` is left as it was.
bool Utf8ToLatin1(std::string_view text, std::string& bytes, std::string& refused);

// The number of characters of a UTF-8 text; a byte that starts no valid
// character counts as one.
std::size_t Utf8Length(std::string_view text);

// The longest prefix of a UTF-8 text with at most `count` characters, so a
// limit never cuts a character in half.
std::string_view Utf8Prefix(std::string_view text, std::size_t count);

}  // namespace tovrik
