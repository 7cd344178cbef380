// SPDX-License-Identifier: MIT
#include "session/win32/windows_devices.h"

#include "device/win32/vendor_device_library.h"
#include "device/win32/win32_hid_transport.h"
#include "session/platform_devices.h"

namespace tovrik {

void RegisterWindowsDevices(PlatformDevices& devices)
{
    devices.AddTransport("windows-hid", [] { return MakeWin32HidTransport(); });
    LibraryAdapter adapter;
    adapter.load = [](const std::string& path,
                      std::string& error) -> std::unique_ptr<DeviceLibrary> {
        return VendorDeviceLibrary::Load(path, error);
    };
    adapter.connect = [](DeviceLibrary& library, MessageQueue& queue, void* window) {
        auto* vendor = dynamic_cast<VendorDeviceLibrary*>(&library);
        return vendor != nullptr && vendor->Connect(queue, window) != 0;
    };
    adapter.deliverMessages = [] { VendorDeviceLibrary::DeliverWindowMessages(); };
    devices.SetLibraryAdapter(std::move(adapter));
}

}  // namespace tovrik
