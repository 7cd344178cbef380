// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace tovrik::gui {

// One entry of a file dialog's filter list.
struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;
};

// Splits a filter text of "description|patterns|" pairs ending in "||"
// (patterns separated by ';'), as the tool's dialogs give it. Two separators
// in a row end the list.
std::vector<FileFilter> ParseFileFilter(const std::string& filter);

// The filter as a file dialog of the toolkit writes it: "description (patterns)",
// the patterns not repeated when the description already ends with them.
std::string ToolkitFilterText(const FileFilter& filter);

// `path` with ".extension" appended when its file name has no extension.
std::string WithDefaultExtension(const std::string& path, const std::string& extension);

}  // namespace tovrik::gui
