// SPDX-License-Identifier: MIT
#pragma once

namespace CLI {
class App;
}

namespace tovrik::cli {

class CommandList;

// Adds `station` with its options (station.h).
void RegisterStationCommand(CLI::App& app, CommandList& commands);

}  // namespace tovrik::cli
