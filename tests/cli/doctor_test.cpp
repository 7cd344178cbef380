// SPDX-License-Identifier: MIT
#include "cli/doctor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/exit_codes.h"
#include "device/sim/sim_transport.h"
#include "temp_folder.h"

namespace tovrik::cli {
namespace {

TEST(DoctorTest, PrintsTheRuleWhenNoneMatchesTheIds)
{
    test::TempFolder folder;
    std::filesystem::create_directories(folder / "rules");
    std::filesystem::create_directories(folder / "usb/1-1");
    std::ofstream(folder / "usb/1-1/idVendor") << "1209\n";
    std::ofstream(folder / "usb/1-1/idProduct") << "0001\n";
    std::ofstream(folder / "rules/70-tovrik.rules")
        << "# ATTRS{idVendor}==\"1209\", ATTRS{idProduct}==\"0001\" hidraw\n"
        << "KERNEL==\"hidraw*\", ATTRS{idVendor}==\"1209\", ATTRS{idProduct}==\"0002\"\n";
    DoctorOptions options;
    options.rulesFolders = {folder / "rules"};
    options.usbDevicesFolder = folder / "usb";
    SimulatedChip chip;
    SimTransport transport(chip);
    chip.Unplug();
    options.transport = &transport;
    std::ostringstream out;
    std::ostringstream err;

    EXPECT_EQ(RunDoctor(options, out, err), kExitNoDevice);
    EXPECT_NE(out.str().find("bus: 1 USB device(s) with the ids 1209:0001, 0 HID interface(s)"),
              std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find(UdevRule("1209", "0001") + "\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("the chip is plugged in but has no hidraw node"), std::string::npos);

    // Ids nothing on the bus has: no talk of a driver, the cable and the ids instead.
    out.str("");
    options.pid = "0002";
    EXPECT_EQ(RunDoctor(options, out, err), kExitNoDevice);
    EXPECT_NE(out.str().find("bus: 0 USB device(s) with the ids 1209:0002"), std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("  no such chip is plugged in"), std::string::npos) << out.str();
    options.pid.clear();

    std::ofstream(folder / "rules/71-more.rules", std::ios::app)
        << "KERNEL==\"hidraw*\", SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"1209\", "
           "ATTRS{idProduct}==\"0001\", TAG+=\"uaccess\"\n";
    out.str("");
    options.vid = "1209";
    EXPECT_EQ(RunDoctor(options, out, err), kExitNoDevice);  // still no HID interface
    EXPECT_NE(out.str().find("71-more.rules:1 matches 1209:0001"), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find("install this line"), std::string::npos);
}

}  // namespace
}  // namespace tovrik::cli
