// SPDX-License-Identifier: MIT
#include "command_list.h"

#include <CLI/CLI.hpp>

#include "exit_codes.h"

namespace tovrik::cli {

void CommandList::Add(const CLI::App* command, Run run)
{
    commands_.emplace_back(command, std::move(run));
}

int CommandList::RunChosen(const CommandStreams& streams) const
{
    for (const auto& [command, run] : commands_) {
        if (command->parsed()) {
            return run(streams);
        }
    }
    return kExitUsage;
}

}  // namespace tovrik::cli
