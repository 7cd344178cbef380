// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "app/tool_command_line.h"

namespace tovrik::gui {

using CommandLine = ToolCommandLine;

// Reads the arguments after the program name. Options of the window system
// (-platform NAME, -style NAME, -display NAME, -geometry GEOMETRY, -reverse) are
// passed over, as the toolkit takes them itself.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

std::string UsageText(const std::string& program);

}  // namespace tovrik::gui
