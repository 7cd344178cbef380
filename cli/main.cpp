// SPDX-License-Identifier: MIT
// tovrik-cli: the command-line front end. Each command file registers its
// own subcommands; this parses the arguments and runs the chosen one.
#include <CLI/CLI.hpp>

#include <iostream>
#include <string>

#include "command_list.h"
#include "device_command_line.h"
#include "doctor.h"
#include "exit_codes.h"
#include "image_commands.h"
#include "platform_registration.h"
#include "run_command.h"
#include "settings_view.h"
#include "station_command_line.h"

namespace {

constexpr const char* kVersion = "2.0.1.2";

}  // namespace

int main(int argc, char** argv)
{
    using namespace tovrik::cli;
    // Before the options: --vendor-library is offered where the build can load the library.
    RegisterPlatformDevices();
    CLI::App app{"Tovrik configuration tool, command line"};
    // Paths like /work/a.bin stay paths on Windows too, not /w-style options.
    app.allow_windows_style_options(false);
    app.footer(kExitCodesHelp);
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("tovrik-cli ") + kVersion);

    // In this order in the help.
    CommandList commands;
    RegisterImageCommands(app, commands);
    RegisterDeviceCommands(app, commands);
    RegisterStationCommand(app, commands);
    RegisterDoctorCommand(app, commands);
    RegisterRunCommand(app, commands);
    RegisterHelpCommand(app, commands);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "error: " << e.what() << '\n';
        return kExitUsage;
    }
    return commands.RunChosen({std::cin, std::cout, std::cerr});
}
