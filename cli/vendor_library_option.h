// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "device/hid_transport.h"
#include "device_access.h"
#include "script/script_driver.h"

namespace CLI {
class App;
}

namespace tovrik::cli {

// `--vendor-library PATH`: the chip maker's device library (a DLL) behind our
// adapter. Only Windows has one (win32/vendor_library_option.cpp); on other
// systems (vendor_library_option_posix.cpp) `run` gets no such option and
// nothing is chosen through it. Each UseVendorLibrary returns false, with
// `error` naming the file and what is wrong, when the DLL cannot be used or
// the other options do not go with it; nothing of the DLL is called then.

// Adds the option to `run`, which it excludes --device from.
void AddVendorLibraryOption(CLI::App& run, std::string& path);

// For a run: the run reaches its device through the DLL; the device type is
// read through the system's HID interfaces, made into `system`.
bool UseVendorLibrary(const std::string& path, ScriptDriverOptions& options,
                      std::unique_ptr<HidTransport>& system, std::string& error);

// For a device command: every connection it opens goes through the DLL.
bool UseVendorLibrary(const std::string& path, DeviceOptions& options, std::string& error);

}  // namespace tovrik::cli
