// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace tovrik {

// The SHA-256 digest of `bytes` (FIPS 180-4).
std::array<std::uint8_t, 32> Sha256(std::span<const std::uint8_t> bytes);

// The digest in lower-case hexadecimal, all 64 digits.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);

}  // namespace tovrik
