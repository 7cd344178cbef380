// SPDX-License-Identifier: MIT
#include "platform_registration.h"

#include "session/platform_devices.h"

#ifdef TOVRIK_CLI_HIDAPI
#include "device/hidapi/hidapi_transport.h"
#endif
#ifdef TOVRIK_CLI_WIN32_HID
#include "session/win32/windows_devices.h"
#endif

namespace tovrik::cli {

void RegisterPlatformDevices()
{
#ifdef TOVRIK_CLI_HIDAPI
    SystemDevices().AddTransport("hidapi", [] { return MakeHidapiTransport(); });
#endif
#ifdef TOVRIK_CLI_WIN32_HID
    RegisterWindowsDevices(SystemDevices());
#endif
}

}  // namespace tovrik::cli
