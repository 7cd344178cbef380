// SPDX-License-Identifier: MIT
#include "command_line.h"

namespace tovrik::gui {

namespace {

const CommandLineDialect& Dialect()
{
    static const CommandLineDialect dialect{
        .toolkitOptionsWithValue = {"-platform", "-style", "-display", "-geometry",
                                    "-qwindowgeometry"},
        .toolkitFlags = {"-reverse", "-sync"},
    };
    return dialect;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    return ParseToolCommandLine(arguments, Dialect());
}

std::string UsageText(const std::string& program)
{
    return ToolUsageText(program, Dialect());
}

}  // namespace tovrik::gui
