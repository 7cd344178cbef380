// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tovrik::cli {

class HeadlessTool;

// KEY=VALUE assignments for the USB page: vid, pid, manufacturer, product,
// serial, ucq, interval.
using UsbAssignments = std::vector<std::pair<std::string, std::string>>;

// Reads KEY=VALUE arguments. Throws UsageError, naming the rule, for an
// unknown key or a value the page would cut, empty or ignore: a string over
// 31 characters, an interval that is not 0 to 255, an id that is not 1 to 4
// hexadecimal digits. An empty value removes the item from the image, as an
// empty field does.
UsbAssignments ParseUsbAssignments(const std::vector<std::string>& arguments);

// Types the values into the USB page of a connected tool, as a user would.
void ApplyUsbAssignments(HeadlessTool& tool, const UsbAssignments& assignments);

// The 256-byte image that the window saves after loading `image` (its first
// 256 bytes) from a chip and typing the values into the USB page. Throws
// UsageError, with the tool's messages, when the image cannot hold them.
std::vector<std::uint8_t> ImageWithUsbSettings(const std::vector<std::uint8_t>& image,
                                               const UsbAssignments& assignments);

}  // namespace tovrik::cli
