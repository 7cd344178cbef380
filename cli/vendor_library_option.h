#pragma once

#include <string>

#include "script/script_driver.h"

namespace tovrik::cli {

// Windows only: makes the run reach its device through the chip maker's
// device library, the DLL at `path`, instead of our own library and the
// simulated chip. False, with `error` naming the file and what is wrong,
// when the DLL cannot be used; nothing of it is called then.
bool UseVendorLibrary(const std::string& path, ScriptDriverOptions& options, std::string& error);

}  // namespace tovrik::cli
