// SPDX-License-Identifier: MIT
// tovrik-cli.exe's --vendor-library: the chip maker's DLL behind the adapter,
// with a hidden window of its own for the DLL's messages.
#include "cli/vendor_library_option.h"

#include <CLI/CLI.hpp>

#include "device/win32/vendor_device_library.h"
#include "device/win32/win32_hid_transport.h"

namespace tovrik::cli {

namespace {

// The DLL loaded once to check it; the first connection takes that instance,
// later ones load it again (the system keeps one copy of the module).
std::shared_ptr<std::unique_ptr<VendorDeviceLibrary>> LoadChecked(const std::string& path,
                                                                  std::string& error)
{
    auto loaded = std::make_shared<std::unique_ptr<VendorDeviceLibrary>>(
        VendorDeviceLibrary::Load(path, error));
    if (!*loaded) {
        return nullptr;
    }
    return loaded;
}

std::unique_ptr<VendorDeviceLibrary> Take(std::unique_ptr<VendorDeviceLibrary>& first,
                                          const std::string& path)
{
    if (first) {
        return std::move(first);
    }
    std::string error;
    std::unique_ptr<VendorDeviceLibrary> again = VendorDeviceLibrary::Load(path, error);
    if (!again) {
        throw UsageError{error};
    }
    return again;
}

}  // namespace

void AddVendorLibraryOption(CLI::App& run, std::string& path)
{
    run.add_option("--vendor-library", path,
                   "reach the chip through the chip maker's device library, the DLL at this "
                   "path (see docs/hardware.md); the run then has no simulated chip")
        ->excludes("--device");
}

bool UseVendorLibrary(const std::string& path, ScriptDriverOptions& options,
                      std::unique_ptr<HidTransport>& system, std::string& error)
{
    auto loaded = LoadChecked(path, error);
    if (!loaded) {
        return false;
    }
    // Without its window the library opens no device, and the tool says it cannot find one.
    options.external.make = [loaded](MessageQueue& queue) -> std::unique_ptr<DeviceLibrary> {
        (*loaded)->Connect(queue, nullptr);
        return std::move(*loaded);
    };
    options.external.deliverMessages = [] { VendorDeviceLibrary::DeliverWindowMessages(); };
    // The device type and the list of chips come from the system, as in the desktop tool.
    system = MakeWin32HidTransport();
    options.deviceTransport = system.get();
    return true;
}

bool UseVendorLibrary(const std::string& path, DeviceOptions& options, std::string& error)
{
    if (options.simulate) {
        error = "--vendor-library and --simulate exclude each other";
        return false;
    }
    if (!options.path.empty()) {
        error = "--vendor-library opens the first chip with the ids; --path cannot choose "
                "one of several";
        return false;
    }
    auto loaded = LoadChecked(path, error);
    if (!loaded) {
        return false;
    }
    options.makeLibrary = [loaded, path](HidTransport&,
                                         MessageQueue& queue) -> std::unique_ptr<DeviceLibrary> {
        std::unique_ptr<VendorDeviceLibrary> library = Take(*loaded, path);
        library->Connect(queue, nullptr);
        return library;
    };
    return true;
}

}  // namespace tovrik::cli
