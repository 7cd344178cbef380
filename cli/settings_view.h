// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "session/headless_tool.h"
#include "session/settings_table.h"

namespace CLI {
class App;
}

namespace tovrik::cli {

// KEY=VALUE assignments, in the order given.
using Assignments = SettingAssignments;

// Reads KEY=VALUE arguments. Throws UsageError for an argument without "="
// or a key the settings table does not know. An empty value empties the
// field (a string or id is then removed from the image, as an empty field is).
Assignments ParseAssignments(const std::vector<std::string>& arguments);

// Assigns the values to the pages' models of a connected tool, through the
// pages' rules. Throws UsageError, naming the rule, for a value the page
// would cut, empty or ignore.
void ApplyAssignments(HeadlessTool& tool, const Assignments& assignments);

// The 256-byte image that the window saves after loading `image` (its first
// 256 bytes) from a chip and setting the values on its pages. Throws
// UsageError, with the tool's messages, when the image cannot hold them.
std::vector<std::uint8_t> ImageWithSettings(const std::vector<std::uint8_t>& image,
                                            const Assignments& assignments);

// The settings of a connected tool's pages.
std::vector<SettingValue> ToolSettings(HeadlessTool& tool);

// The settings of an image file (its first 256 bytes) as the pages show them
// after loading it from a simulated chip. Throws UsageError.
std::vector<SettingValue> ImageSettings(const std::string& path);
std::vector<SettingValue> ImageSettings(const std::vector<std::uint8_t>& image);

void PrintSettings(std::ostream& out, const std::vector<SettingValue>& settings, bool json);
void PrintChanges(std::ostream& out, const std::vector<SettingChange>& changes, bool json);
// Every key with its page, kind and label: `tovrik-cli help settings`.
void PrintSettingKeys(std::ostream& out);

class CommandList;
// `help TOPIC`: settings, the keys of image set and device set.
void RegisterHelpCommand(CLI::App& app, CommandList& commands);

}  // namespace tovrik::cli
