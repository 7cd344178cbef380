// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "exit_codes.h"

namespace CLI {
class App;
}

namespace tovrik::cli {

class CommandList;

// Adds `image` with its subcommands decode, encode, factory, show, diff and set.
void RegisterImageCommands(CLI::App& app, CommandList& commands);

// Loads the image in `path` (the start of an EEPROM; missing bytes read as
// 0xFF) from a simulated chip and prints the result as one JSON object.
int DecodeImage(const std::string& path, std::ostream& out, std::ostream& err);

// Builds the image a JSON description asks for: the description is applied to
// an empty configuration and saved onto a blank 256-byte EEPROM of a simulated
// chip. kExitOk with `image` and the JSON `report`; kExitNotSaved (with the
// report) when the save failed; kExitUsage with `error`, which names the bad
// member by its JSON pointer, for a description that is not valid. `source`
// names the input in messages.
int BuildImage(const std::string& jsonText, const std::string& source,
               std::vector<std::uint8_t>& image, std::string& report, std::string& error);

// Builds an image from a JSON description (`input` "-" reads `in`) and writes
// it to `outputPath`; an image that could not be saved leaves the output as it
// was and exits with kExitNotSaved.
int EncodeImage(const std::string& input, const std::string& outputPath, std::istream& in,
                std::ostream& out, std::ostream& err);

int WriteFactoryImage(const std::string& outputPath, std::ostream& err);

}  // namespace tovrik::cli
