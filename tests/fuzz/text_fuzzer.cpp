// SPDX-License-Identifier: MIT
// Feeds arbitrary text to every reader of numbers and byte lists that a user
// can type into: none may read past the text or overflow.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/decimal_text.h"
#include "formats/hex_bytes.h"
#include "formats/hex_text.h"
#include "platform/latin1_text.h"
#include "script/script_syntax.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)tovrik::ParseHexText(text);
    std::array<std::uint8_t, 16> bytes{};
    const int count = tovrik::ParseHexBytes(text, bytes);
    if (count < 0) {
        __builtin_trap();
    }
    (void)tovrik::ParseLeadingInteger(text);
    (void)tovrik::ParseLeadingDecimal(text);
    (void)tovrik::ParseScriptNumber(text);
    (void)tovrik::ParseScriptSignedNumber(text);
    (void)tovrik::ParseScriptHex(text, 0xFFFF);
    std::string latin1;
    std::string refused;
    if (tovrik::Utf8ToLatin1(text, latin1, refused) &&
        tovrik::Utf8ToLatin1(tovrik::Latin1ToUtf8(latin1), latin1, refused) == false) {
        __builtin_trap();  // what was read back must read again
    }
    return 0;
}
