// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tovrik {

// The largest input report a HID report descriptor declares, in bytes, with
// one byte for the report id counted in whether or not the descriptor numbers
// its reports (the length the system's HID capabilities report). 0 when the
// descriptor declares no input report; std::nullopt when it is malformed
// (an item cut short, an unbalanced Pop, a report id of 0).
std::optional<int> InputReportByteLength(const std::uint8_t* descriptor, std::size_t length);

}  // namespace tovrik
