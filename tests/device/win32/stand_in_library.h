// SPDX-License-Identifier: MIT
#pragma once

// The tool's message names come before the system's, which defines WM_DEVICECHANGE as a macro.
#include "device/win32/vendor_device_library.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "device/hid_transport.h"

namespace tovrik::test {

// The path of a stand-in DLL built beside the tests.
inline std::string StandIn(const std::string& name)
{
    return std::string(TOVRIK_STAND_IN_DIR) + "/" + name + ".dll";
}

// The stand-in DLL `name` loaded through the adapter, its simulated device
// being the chip behind `transport`; nullptr, with a test failure, when it
// cannot be loaded.
inline std::unique_ptr<VendorDeviceLibrary> LoadStandIn(const std::string& name,
                                                        HidTransport& transport)
{
    std::string error;
    std::unique_ptr<VendorDeviceLibrary> library = VendorDeviceLibrary::Load(StandIn(name), error);
    if (!library) {
        ADD_FAILURE() << error;
        return nullptr;
    }
    using Attach = void (*)(HidTransport*);
    reinterpret_cast<Attach>(reinterpret_cast<void*>(GetProcAddress(
        static_cast<HMODULE>(library->Module()), "TovrikStandInAttach")))(&transport);
    return library;
}

}  // namespace tovrik::test
