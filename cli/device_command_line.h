// SPDX-License-Identifier: MIT
#pragma once

namespace CLI {
class App;
}

namespace tovrik::cli {

class CommandList;

// Adds `device` with its subcommands list, read, write, verify, erase, show,
// diff and set (device_commands.h), each with the options that choose a chip.
void RegisterDeviceCommands(CLI::App& app, CommandList& commands);

}  // namespace tovrik::cli
