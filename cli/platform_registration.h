// SPDX-License-Identifier: MIT
#pragma once

namespace tovrik::cli {

// Registers what reaches real chips in this build of tovrik-cli: hidapi on
// Linux, Windows' own HID interfaces and the chip maker's library on Windows.
void RegisterPlatformDevices();

}  // namespace tovrik::cli
