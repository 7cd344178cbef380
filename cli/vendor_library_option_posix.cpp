// SPDX-License-Identifier: MIT
// The chip maker's device library is a Windows DLL; elsewhere there is none
// to choose, so `run` has no --vendor-library and nothing reaches these.
#include "vendor_library_option.h"

namespace tovrik::cli {

namespace {

constexpr const char* kNoVendorLibrary = "--vendor-library loads a Windows DLL";

}  // namespace

void AddVendorLibraryOption(CLI::App&, std::string&) {}

bool UseVendorLibrary(const std::string&, ScriptDriverOptions&, std::unique_ptr<HidTransport>&,
                      std::string& error)
{
    error = kNoVendorLibrary;
    return false;
}

bool UseVendorLibrary(const std::string&, DeviceOptions&, std::string& error)
{
    error = kNoVendorLibrary;
    return false;
}

}  // namespace tovrik::cli
