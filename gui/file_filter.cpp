// SPDX-License-Identifier: MIT
#include "file_filter.h"

namespace tovrik::gui {

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (true) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::vector<FileFilter> ParseFileFilter(const std::string& filter)
{
    std::vector<FileFilter> result;
    const std::vector<std::string> parts = Split(filter, '|');
    // Two separators in a row end the list, as the closing "||" does.
    for (std::size_t i = 0; i + 1 < parts.size() && !parts[i].empty() && !parts[i + 1].empty();
         i += 2) {
        FileFilter entry;
        entry.description = parts[i];
        for (const std::string& pattern : Split(parts[i + 1], ';')) {
            if (const std::string p = Trim(pattern); !p.empty()) {
                entry.patterns.push_back(p);
            }
        }
        if (!entry.patterns.empty()) {
            result.push_back(std::move(entry));
        }
    }
    return result;
}

std::string ToolkitFilterText(const FileFilter& filter)
{
    std::string patterns;
    for (const std::string& p : filter.patterns) {
        patterns += (patterns.empty() ? "" : " ") + p;
    }
    const std::string suffix = "(" + patterns + ")";
    const std::string& d = filter.description;
    if (d.size() >= suffix.size() &&
        d.compare(d.size() - suffix.size(), suffix.size(), suffix) == 0) {
        return d;
    }
    return d.empty() ? suffix : d + " " + suffix;
}

std::string WithDefaultExtension(const std::string& path, const std::string& extension)
{
    if (extension.empty() || path.empty()) {
        return path;
    }
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    // A leading dot names a hidden file, not an extension.
    if (name.empty() || name.find('.', 1) != std::string::npos) {
        return path;
    }
    return path + "." + extension;
}

}  // namespace tovrik::gui
