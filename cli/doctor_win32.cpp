// SPDX-License-Identifier: MIT
#include <ostream>

#include "doctor.h"
#include "exit_codes.h"

// On Windows every user may open a HID interface and no rule is installed, so
// the checks of the device node and the udev rule have nothing to look at.
namespace tovrik::cli {

int RunDoctor(const DoctorOptions&, std::ostream&, std::ostream& err)
{
    err << "doctor checks the Linux device node and udev rule; Windows needs neither: "
           "`tovrik-cli device list` shows the chips this system offers\n";
    return kExitUsage;
}

std::string UdevRule(const std::string&, const std::string&)
{
    return {};
}

}  // namespace tovrik::cli
