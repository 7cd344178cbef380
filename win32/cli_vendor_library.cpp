// tovrik-cli.exe's --vendor-library: the chip maker's DLL behind the adapter,
// with a hidden window of its own for the DLL's messages, delivered into the
// run's queue whenever the run settles.
#include "vendor_library_option.h"

#include "device/win32/vendor_device_library.h"
#include "windows_api.h"

#include <memory>

namespace tovrik::cli {

bool UseVendorLibrary(const std::string& path, ScriptDriverOptions& options, std::string& error)
{
    auto loaded = std::make_shared<std::unique_ptr<VendorDeviceLibrary>>(
        VendorDeviceLibrary::Load(path, error));
    if (!*loaded) {
        return false;
    }
    // Without its window the library opens no device, and the tool says it cannot find one.
    options.external.make = [loaded](MessageQueue& queue) -> std::unique_ptr<DeviceLibrary> {
        (*loaded)->Connect(queue, nullptr);
        return std::move(*loaded);
    };
    options.external.deliverMessages = [] {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    };
    return true;
}

}  // namespace tovrik::cli
