// SPDX-License-Identifier: MIT
#include "hardware_transport.h"

#include "device/no_device_transport.h"

#ifdef TOVRIK_GUI_HIDAPI
#include "device/hidapi/hidapi_transport.h"
#endif

namespace tovrik::gui {

std::unique_ptr<HidTransport> MakeHardwareTransport()
{
#ifdef TOVRIK_GUI_HIDAPI
    return MakeHidapiTransport();
#else
    return std::make_unique<NoDeviceTransport>();
#endif
}

}  // namespace tovrik::gui
