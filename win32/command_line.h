// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "app/tool_command_line.h"

namespace tovrik::win32 {

using CommandLine = ToolCommandLine;

// Reads the arguments after the program name: the options of the tool on
// every system, "/?" for help and --vendor-library PATH.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);
std::string UsageText();

}  // namespace tovrik::win32
