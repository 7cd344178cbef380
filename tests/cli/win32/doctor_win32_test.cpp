// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <sstream>

#include "cli/doctor.h"
#include "cli/exit_codes.h"
#include "app/factory_image.h"
#include "device/sim/sim_transport.h"
#include "device/sim/simulated_chip.h"

namespace tovrik::cli {
namespace {

// An interface another program holds: listed, but it does not open.
class HeldTransport : public SimTransport {
public:
    using SimTransport::SimTransport;
    std::unique_ptr<HidDevice> Open(const std::string&) override { return nullptr; }
    std::string OpenFailureMessage(const std::string&) const override
    {
        return "another program holds it";
    }
};

TEST(WindowsDoctorTest, SaysWhetherWindowsListsTheChipAndWhetherItOpens)
{
    SimulatedChip chip(FactoryChipOptions());
    SimTransport transport(chip);
    DoctorOptions options;
    options.transport = &transport;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunDoctor(options, out, err), kExitOk);
    EXPECT_NE(out.str().find("sim:0 opens for reading and writing"), std::string::npos)
        << out.str();

    HeldTransport held(chip);
    options.transport = &held;
    out.str("");
    EXPECT_EQ(RunDoctor(options, out, err), kExitNoDevice);
    EXPECT_NE(out.str().find("sim:0 cannot be opened: another program holds it"),
              std::string::npos)
        << out.str();

    options.transport = &transport;
    options.pid = "0002";
    out.str("");
    EXPECT_EQ(RunDoctor(options, out, err), kExitNoDevice);
    EXPECT_NE(out.str().find("0 HID interface(s) with the ids 1209:0002 among 1"),
              std::string::npos)
        << out.str();
}

}  // namespace
}  // namespace tovrik::cli
