// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "device/hid_transport.h"

namespace tovrik::gui {

// The transport to real chips: hidapi when the build has it, else one that
// finds no device.
std::unique_ptr<HidTransport> MakeHardwareTransport();

}  // namespace tovrik::gui
