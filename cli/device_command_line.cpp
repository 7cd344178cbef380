// SPDX-License-Identifier: MIT
#include "device_command_line.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "command_list.h"
#include "device_access.h"
#include "device_commands.h"
#include "exit_codes.h"

namespace tovrik::cli {

namespace {

// What the options fill in, kept as long as the commands that read it.
struct Arguments {
    DeviceOptions device;
    std::string file;
    std::optional<int> size;
    bool all = false;
    bool json = false;
    std::vector<std::string> assignments;
};

}  // namespace

void RegisterDeviceCommands(CLI::App& app, CommandList& commands)
{
    auto* device = app.add_subcommand("device", "Read, write, compare and show a chip's EEPROM");
    device->require_subcommand(1);
    const auto a = std::make_shared<Arguments>();
    const auto add = [&](const char* name, const char* help, CommandList::Run run) {
        CLI::App* command = device->add_subcommand(name, help);
        AddDeviceOptions(*command, a->device);
        commands.Add(command, std::move(run));
        return command;
    };

    auto* list =
        add("list", "Every attached chip with the ids (or at --path)",
            [a](const CommandStreams& s) { return ListDevices(a->device, a->json, s.out, s.err); });
    list->add_flag("--json", a->json, "print JSON");

    auto* read = add("read", "Copy the EEPROM (the first 256 bytes by default) into FILE",
                     [a](const CommandStreams& s) {
                         return ReadDevice(a->device, a->file, a->size, a->all, s.out, s.err);
                     });
    read->add_option("-o,--output", a->file, "file to write")->required();
    auto* sizeOption = read->add_option("--size", a->size, "bytes to read");
    read->add_flag("--all", a->all, "the whole fitted EEPROM")->excludes(sizeOption);

    auto* write = add(
        "write", "Write FILE from address 0 and verify it, keeping a backup of what it replaces",
        [a](const CommandStreams& s) { return WriteDevice(a->device, a->file, s.out, s.err); });
    write->add_option("FILE", a->file, "EEPROM image (.bin)")->required();

    auto* verify = add("verify", "Compare the EEPROM with FILE; exit 1 when they differ",
                       [a](const CommandStreams& s) {
                           return VerifyDevice(a->device, a->file, a->json, s.out, s.err);
                       });
    verify->add_option("FILE", a->file, "EEPROM image (.bin)")->required();
    verify->add_flag("--json", a->json, "print JSON");

    auto* erase =
        add("erase", "Set the first 256 bytes (or all) to 0xFF",
            [a](const CommandStreams& s) { return EraseDevice(a->device, a->all, s.out, s.err); });
    erase->add_flag("--all", a->all, "the whole fitted EEPROM");

    auto* show =
        add("show", "Every setting of the four configuration pages after a load",
            [a](const CommandStreams& s) { return ShowDevice(a->device, a->json, s.out, s.err); });
    show->add_flag("--json", a->json, "print JSON");

    auto* diff = add("diff", "The settings that writing FILE would change; exit 1 when some differ",
                     [a](const CommandStreams& s) {
                         return DiffDevice(a->device, a->file, a->json, s.out, s.err);
                     });
    diff->add_option("FILE", a->file, "EEPROM image (.bin)")->required();
    diff->add_flag("--json", a->json, "print JSON");

    auto* set = add("set", "Set values of the configuration pages and save them into the EEPROM",
                    [a](const CommandStreams& s) {
                        return SetDevice(a->device, a->assignments, s.out, s.err);
                    });
    set->add_option("KEY=VALUE", a->assignments, "values to set")->required();

    add("backups", "The backups of the chip's ids: time, size, serial string, equal to the chip",
        [a](const CommandStreams& s) { return ListBackups(a->device, s.out, s.err); });

    auto* restore = add(
        "restore",
        "Write FILE (else the backup an unfinished write names, else the newest with the chip's "
        "serial string) back, verified, keeping a backup of what it replaces",
        [a](const CommandStreams& s) { return RestoreDevice(a->device, a->file, s.out, s.err); });
    restore->add_option("FILE", a->file, "backup to write back (.bin)");
}

}  // namespace tovrik::cli
