// SPDX-License-Identifier: MIT
#pragma once

namespace tovrik {

class PlatformDevices;

// Registers what reaches real chips on Windows: the system's HID interfaces
// and the adapter for the chip maker's device library.
void RegisterWindowsDevices(PlatformDevices& devices);

}  // namespace tovrik
