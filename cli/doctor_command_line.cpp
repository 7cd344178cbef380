// SPDX-License-Identifier: MIT
// `doctor` on the command line, the same on every system; what it checks is
// each system's own (doctor.cpp, win32/doctor_win32.cpp).
#include <CLI/CLI.hpp>

#include <memory>

#include "command_list.h"
#include "doctor.h"

namespace tovrik::cli {

void RegisterDoctorCommand(CLI::App& app, CommandList& commands)
{
    const auto options = std::make_shared<DoctorOptions>();
    auto* doctor = app.add_subcommand(
        "doctor", "Check that this user can reach the chip: bus, device node, udev rule");
    doctor->add_option("--vid", options->vid, "vendor id, hexadecimal (default 1209)");
    doctor->add_option("--pid", options->pid, "product id, hexadecimal (default 0001)");
    commands.Add(doctor,
                 [options](const CommandStreams& s) { return RunDoctor(*options, s.out, s.err); });
}

}  // namespace tovrik::cli
