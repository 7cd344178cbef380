// SPDX-License-Identifier: MIT
#pragma once

namespace tovrik {
class PlatformDevices;
}

namespace tovrik::gui {

// Registers the transport to real chips: hidapi when the build has it;
// without it the tool finds no device.
void RegisterHardwareTransports(PlatformDevices& devices);

}  // namespace tovrik::gui
