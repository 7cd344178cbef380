// SPDX-License-Identifier: MIT
#include "command_line.h"

namespace tovrik::win32 {

namespace {

const CommandLineDialect kDialect{
    .slashHelp = true, .vendorLibrary = true, .toolkitOptionsWithValue = {}, .toolkitFlags = {}};

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    return ParseToolCommandLine(arguments, kDialect);
}

std::string UsageText()
{
    return ToolUsageText("tovrik-config", kDialect);
}

}  // namespace tovrik::win32
