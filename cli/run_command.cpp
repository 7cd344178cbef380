// SPDX-License-Identifier: MIT
#include "run_command.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

#include "command_list.h"
#include "image_commands.h"
#include "platform/safe_file.h"
#include "script/script_driver.h"
#include "session/platform_devices.h"

namespace tovrik::cli {

int RunScript(const std::string& scriptPath, const std::string& workdir, std::ostream& out,
              std::ostream& err, ScriptDriverOptions options)
{
    std::error_code ec;
    std::vector<std::uint8_t> bytes;
    std::string reason;
    if (!ReadFileBounded(scriptPath, kMaxTextFileBytes, bytes, reason)) {
        err << "error: " << reason << '\n';
        return kExitUsage;
    }
    const std::string script(bytes.begin(), bytes.end());
    const std::filesystem::path folder =
        !workdir.empty() ? std::filesystem::path(workdir)
                         : std::filesystem::absolute(scriptPath, ec).parent_path();
    // The tool's own messages name files as the script wrote them, so the
    // script runs in its folder rather than having its names rewritten.
    std::filesystem::current_path(folder, ec);
    if (ec) {
        err << "error: cannot change to the folder " << folder.string() << '\n';
        return kExitUsage;
    }

    ScriptDriver driver(out, std::move(options));
    if (!driver.BuildError().empty()) {
        err << "error: " << driver.BuildError() << '\n';
        return kExitUsage;
    }
    const int status = driver.Run(script);
    out.flush();
    if (status != ScriptDriver::kExitOk) {
        err << "error: line " << driver.Error().line << ": " << driver.Error().reason << '\n';
    }
    return status;
}

namespace {

// What the options fill in, kept as long as the command that reads it.
struct RunArguments {
    std::string script;
    std::string workdir;
    std::string device = "sim";
    std::string vendorLibrary;
    std::string simulateFile;
};

int RunOnChosenDevice(const RunArguments& a, std::ostream& out, std::ostream& err)
{
    ScriptDriverOptions options;
    options.simulateFile = a.simulateFile;
    if (!a.vendorLibrary.empty()) {
        options.vendorLibrary = a.vendorLibrary;
    } else if (a.device == "hidapi") {
        if (!SystemDevices().HasTransport("hidapi")) {
            err << "error: this build has no hidapi transport (TOVRIK_HIDAPI=OFF)\n";
            return kExitUsage;
        }
        options.deviceTransport = "hidapi";
    }
    return RunScript(a.script, a.workdir, out, err, std::move(options));
}

}  // namespace

void RegisterRunCommand(CLI::App& app, CommandList& commands)
{
    const auto a = std::make_shared<RunArguments>();
    auto* run = app.add_subcommand(
        "run", "Run a script of the tool against a simulated chip (see docs/scripting.md)");
    run->add_option("SCRIPT", a->script, "script file")->required();
    run->add_option("--workdir", a->workdir,
                    "folder for the script's file names (default: the script's folder)");
    run->add_option("--device", a->device,
                    "sim: the simulated chip (default); hidapi: a real chip through hidapi "
                    "(see docs/hardware.md)")
        ->check(CLI::IsMember({"sim", "hidapi"}));
    run->add_option("--sim-file", a->simulateFile,
                    "keep the simulated chip's EEPROM in FILE (relative to the working folder) "
                    "instead of memory; its writes are then journaled");
    if (SystemDevices().Adapter() != nullptr) {
        run->add_option("--vendor-library", a->vendorLibrary,
                        "reach the chip through the chip maker's device library, the DLL at this "
                        "path (see docs/hardware.md); the run then has no simulated chip")
            ->excludes("--device");
    }
    commands.Add(run, [a](const CommandStreams& s) { return RunOnChosenDevice(*a, s.out, s.err); });
}

}  // namespace tovrik::cli
