// SPDX-License-Identifier: MIT
#include "settings_view.h"

#include <memory>
#include <ostream>

#include <CLI/CLI.hpp>

#include <nlohmann/json.hpp>

#include "command_list.h"
#include "device_access.h"
#include "exit_codes.h"
#include "headless_tool.h"

namespace tovrik::cli {

namespace {

std::string TextLine(const std::string& label, const std::string& value)
{
    return label + ":" + (value.empty() ? "" : " " + value);
}

// The pages hold the texts the window shows; a text that is not UTF-8
// still prints, with U+FFFD in place of what cannot be read.
std::string Json(const nlohmann::ordered_json& value)
{
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void PrintJsonRows(std::ostream& out, const std::vector<nlohmann::ordered_json>& rows)
{
    out << "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out << (i == 0 ? "\n  " : ",\n  ") << Json(rows[i]);
    }
    out << "\n]\n";
}

}  // namespace

Assignments ParseAssignments(const std::vector<std::string>& arguments)
{
    Assignments assignments;
    for (const std::string& argument : arguments) {
        const std::size_t equals = argument.find('=');
        if (equals == std::string::npos) {
            throw UsageError{argument + ": give KEY=VALUE"};
        }
        const std::string key = argument.substr(0, equals);
        if (SettingsTable::Find(key) == nullptr) {
            throw UsageError{"unknown key " + key + " (tovrik-cli help settings lists them)"};
        }
        assignments.emplace_back(key, argument.substr(equals + 1));
    }
    if (assignments.empty()) {
        throw UsageError{"give at least one KEY=VALUE"};
    }
    return assignments;
}

void ApplyAssignments(HeadlessTool& tool, const Assignments& assignments)
{
    SettingsTable& table = tool.Models().Table();
    for (const auto& [key, value] : assignments) {
        std::string error;
        if (!table.Assign(key, value, error)) {
            throw UsageError{error};
        }
    }
}

std::vector<std::uint8_t> ImageWithSettings(const std::vector<std::uint8_t>& image,
                                            const Assignments& assignments)
{
    std::vector<std::uint8_t> result;
    std::string error;
    if (!tovrik::ImageWithSettings(image, assignments, result, error)) {
        throw UsageError{error};
    }
    return result;
}

std::vector<SettingValue> ToolSettings(HeadlessTool& tool)
{
    return tool.Models().Table().Read();
}

std::vector<SettingValue> ImageSettings(const std::vector<std::uint8_t>& image)
{
    return ToolSettings(OpenToolOnImage(image)->Tool());
}

std::vector<SettingValue> ImageSettings(const std::string& path)
{
    return ImageSettings(ImageFileBytes(path));
}

void PrintSettings(std::ostream& out, const std::vector<SettingValue>& settings, bool json)
{
    if (json) {
        std::vector<nlohmann::ordered_json> rows;
        for (const SettingValue& s : settings) {
            rows.push_back(
                {{"key", s.key}, {"page", s.page}, {"label", s.label}, {"value", s.value}});
        }
        PrintJsonRows(out, rows);
        return;
    }
    std::string page;
    for (const SettingValue& s : settings) {
        if (s.page != page) {
            page = s.page;
            out << "[" << page << "]\n";
        }
        out << TextLine(s.label, s.value) << '\n';
    }
}

void PrintChanges(std::ostream& out, const std::vector<SettingChange>& changes, bool json)
{
    if (json) {
        std::vector<nlohmann::ordered_json> rows;
        for (const SettingChange& c : changes) {
            rows.push_back({{"key", c.key},
                            {"page", c.page},
                            {"label", c.label},
                            {"old", c.before},
                            {"new", c.after}});
        }
        PrintJsonRows(out, rows);
        return;
    }
    for (const SettingChange& c : changes) {
        out << "[" << c.page << "] " << c.label << ": \"" << c.before << "\" -> \"" << c.after
            << "\"\n";
    }
}

void PrintSettingKeys(std::ostream& out)
{
    out << "The settings `image set` and `device set` take as KEY=VALUE, and `show` and `diff`\n"
           "name in --json output. The keys stay as they are from one version to the next.\n"
           "vid, pid, manufacturer, product, serial, ucq and interval are short for the usb.\n"
           "keys. A list takes one of its entries, a switch on or off, a choice one of its\n"
           "buttons' texts.\n\n";
    std::string page;
    for (const SettingEntry& setting : SettingsTable::Entries()) {
        const std::string title = SettingsTable::PageTitle(setting.page);
        if (title != page) {
            page = title;
            out << "[" << page << "]\n";
        }
        out << "  " << setting.key << " (" << SettingsTable::KindOf(setting)
            << "): " << setting.label << '\n';
    }
}

void RegisterHelpCommand(CLI::App& app, CommandList& commands)
{
    auto topic = std::make_shared<std::string>();
    auto* help = app.add_subcommand("help", "More about a topic: settings (the keys of set)");
    help->add_option("TOPIC", *topic, "settings")->required()->check(CLI::IsMember({"settings"}));
    commands.Add(help, [topic](const CommandStreams& s) {
        PrintSettingKeys(s.out);
        return kExitOk;
    });
}

}  // namespace tovrik::cli
