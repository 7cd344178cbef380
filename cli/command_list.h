// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <iosfwd>
#include <utility>
#include <vector>

namespace CLI {
class App;
}

namespace tovrik::cli {

// The standard streams of a command.
struct CommandStreams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

// What each command file registered: its subcommands, each with what runs
// it. main parses the arguments, then runs the one they chose.
class CommandList {
public:
    // Returns the command's exit status (exit_codes.h).
    using Run = std::function<int(const CommandStreams& streams)>;

    // `run` runs when the arguments chose `command`, which must outlive this.
    void Add(const CLI::App* command, Run run);

    // The exit status of the command the parsed arguments chose; kExitUsage
    // when they chose none.
    int RunChosen(const CommandStreams& streams) const;

private:
    std::vector<std::pair<const CLI::App*, Run>> commands_;
};

}  // namespace tovrik::cli
