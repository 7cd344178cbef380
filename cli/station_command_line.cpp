// SPDX-License-Identifier: MIT
#include "station_command_line.h"

#include <CLI/CLI.hpp>

#include <memory>

#include "command_list.h"
#include "station.h"

namespace tovrik::cli {

void RegisterStationCommand(CLI::App& app, CommandList& commands)
{
    const auto options = std::make_shared<StationOptions>();
    auto* station = app.add_subcommand(
        "station", "Program every chip that appears with GOLDEN, each with its own serial number");
    AddStationOptions(*station, *options);
    commands.Add(station,
                 [options](const CommandStreams& s) { return RunStation(*options, s.out, s.err); });
}

}  // namespace tovrik::cli
