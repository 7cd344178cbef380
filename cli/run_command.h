// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <string>

#include "script/script_driver.h"

namespace CLI {
class App;
}

namespace tovrik::cli {

class CommandList;

// Adds `run` with its options: the script, its folder and the device it runs against.
void RegisterRunCommand(CLI::App& app, CommandList& commands);

// Runs a script of the tool (docs/scripting.md) on a simulated chip. File
// names in the script are relative to `workdir`, or to the script's folder
// when `workdir` is empty. The transcript goes to `out`; a script error is
// one line "error: line N: REASON" on `err` and exit status 2. `options`
// may name a real device to use instead of the simulated chip.
int RunScript(const std::string& scriptPath, const std::string& workdir, std::ostream& out,
              std::ostream& err, ScriptDriverOptions options = {});

}  // namespace tovrik::cli
