// SPDX-License-Identifier: MIT
// tovrik-vendor-run: `tovrik-cli run SCRIPT --workdir DIR --vendor-library DLL`
// for the stand-in DLL, which is attached to the run's simulated chip so the
// scenario scripts (which plug, unplug and inspect that chip) play through
// the adapter and the DLL's real window messages.
#include "device/win32/vendor_device_library.h"

#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "image_commands.h"
#include "run_command.h"

namespace {

// The stand-in's test exports; through void* as FARPROC has no argument list.
template <typename F>
F Export(HMODULE module, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace tovrik;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() != 6 || args[0] != "run" || args[2] != "--workdir" ||
        args[4] != "--vendor-library") {
        std::cerr << "usage: tovrik-vendor-run run SCRIPT --workdir DIR --vendor-library DLL\n";
        return cli::kExitUsage;
    }
    std::string error;
    std::unique_ptr<VendorDeviceLibrary> loaded = VendorDeviceLibrary::Load(args[5], error);
    if (!loaded) {
        std::cerr << "error: " << error << '\n';
        return cli::kExitUsage;
    }
    auto module = static_cast<HMODULE>(loaded->Module());
    const auto attach = Export<void (*)(HidTransport*)>(module, "TovrikStandInAttach");
    const auto isOpen = Export<int (*)()>(module, "TovrikStandInIsOpen");
    const auto handled =
        Export<unsigned long long (*)()>(module, "TovrikStandInInputReportsHandled");
    const auto forget = Export<void (*)()>(module, "TovrikStandInForgetEepromContent");
    if (attach == nullptr || isOpen == nullptr || handled == nullptr || forget == nullptr) {
        std::cerr << "error: " << args[5] << " is not the stand-in library\n";
        return cli::kExitUsage;
    }

    ScriptDriverOptions options;
    options.external.make = [&loaded](HidTransport&, MessageQueue& queue) -> std::unique_ptr<DeviceLibrary> {
        loaded->Connect(queue, nullptr);
        return std::move(loaded);
    };
    options.external.deliverMessages = [] {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    };
    options.external.attachChip = [attach](HidTransport& transport) { attach(&transport); };
    options.external.isOpen = [isOpen] { return isOpen() != 0; };
    options.external.inputReportsHandled = [handled] { return handled(); };
    options.external.forgetEepromContent = forget;
    return cli::RunScript(args[1], args[3], std::cout, std::cerr, std::move(options));
}
