// SPDX-License-Identifier: MIT
#include "hardware_transport.h"

#include "session/platform_devices.h"

#ifdef TOVRIK_GUI_HIDAPI
#include "device/hidapi/hidapi_transport.h"
#endif

namespace tovrik::gui {

void RegisterHardwareTransports([[maybe_unused]] PlatformDevices& devices)
{
#ifdef TOVRIK_GUI_HIDAPI
    devices.AddTransport("hidapi", [] { return MakeHidapiTransport(); });
#endif
}

}  // namespace tovrik::gui
