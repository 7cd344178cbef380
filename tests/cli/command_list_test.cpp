// SPDX-License-Identifier: MIT
#include "cli/command_list.h"

#include <gtest/gtest.h>
#include <CLI/CLI.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "app/factory_image.h"
#include "cli/device_command_line.h"
#include "cli/doctor.h"
#include "cli/exit_codes.h"
#include "cli/image_commands.h"
#include "cli/run_command.h"
#include "cli/station_command_line.h"
#include "temp_folder.h"

namespace tovrik::cli {
namespace {

using test::ReadBytes;
using test::TempFolder;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

void Parse(CLI::App& app, const std::vector<std::string>& args)
{
    std::vector<const char*> argv{"tovrik-cli"};
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    app.parse(static_cast<int>(argv.size()), argv.data());
}

// Registers every command as tovrik-cli does and runs the one `args` choose.
Outcome RunCommandLine(const std::vector<std::string>& args, const std::string& input = {})
{
    CLI::App app;
    app.require_subcommand(1);
    CommandList commands;
    RegisterImageCommands(app, commands);
    RegisterDeviceCommands(app, commands);
    RegisterStationCommand(app, commands);
    RegisterDoctorCommand(app, commands);
    RegisterRunCommand(app, commands);
    Parse(app, args);
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    Outcome outcome;
    outcome.status = commands.RunChosen({in, out, err});
    outcome.out = out.str();
    outcome.err = err.str();
    return outcome;
}

TEST(CommandListTest, OnlyTheChosenCommandRunsAndNoChoiceIsBadUsage)
{
    CLI::App app;
    CommandList commands;
    std::vector<std::string> ran;
    commands.Add(app.add_subcommand("a"), [&](const CommandStreams&) {
        ran.push_back("a");
        return 5;
    });
    commands.Add(app.add_subcommand("b"), [&](const CommandStreams& s) {
        ran.push_back("b");
        s.out << "b ran";
        return 7;
    });
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;

    Parse(app, {});
    EXPECT_EQ(commands.RunChosen({in, out, err}), kExitUsage);
    EXPECT_TRUE(ran.empty());

    Parse(app, {"b"});
    EXPECT_EQ(commands.RunChosen({in, out, err}), 7);
    EXPECT_EQ(ran, std::vector<std::string>{"b"});
    EXPECT_EQ(out.str(), "b ran");
}

TEST(CommandListTest, ImageCommandsWriteWhereTheirOptionsSayAndReadStandardInput)
{
    TempFolder folder;
    ASSERT_EQ(RunCommandLine({"image", "factory", "-o", folder / "factory.bin"}).status, kExitOk);
    EXPECT_EQ(ReadBytes(folder / "factory.bin"), FactoryEepromImage());

    const Outcome decoded = RunCommandLine({"image", "decode", folder / "factory.bin"});
    ASSERT_EQ(decoded.status, kExitOk) << decoded.err;
    const Outcome encoded =
        RunCommandLine({"image", "encode", "-", "-o", folder / "again.bin"}, decoded.out);
    ASSERT_EQ(encoded.status, kExitOk) << encoded.err;
    EXPECT_EQ(ReadBytes(folder / "again.bin"), FactoryEepromImage());
}

TEST(CommandListTest, ImageSetAndDiffTakeTheirTwoFilesApart)
{
    TempFolder folder;
    ASSERT_EQ(RunCommandLine({"image", "factory", "-o", folder / "a.bin"}).status, kExitOk);
    const Outcome set =
        RunCommandLine({"image", "set", folder / "a.bin", "-o", folder / "b.bin", "serial=XY-1"});
    ASSERT_EQ(set.status, kExitOk) << set.err;
    EXPECT_EQ(RunCommandLine({"image", "diff", folder / "a.bin", folder / "a.bin"}).status,
              kExitOk);
    const Outcome diff =
        RunCommandLine({"image", "diff", folder / "a.bin", folder / "b.bin", "--json"});
    EXPECT_EQ(diff.status, kExitDiffers);
    EXPECT_NE(diff.out.find("XY-1"), std::string::npos) << diff.out;
    EXPECT_EQ(diff.out.front(), '[') << diff.out;  // --json reached the command
}

TEST(CommandListTest, DeviceCommandsTakeTheChipOptionsAndTheirOwn)
{
    TempFolder folder;
    const Outcome some =
        RunCommandLine({"device", "read", "--simulate", "-o", folder / "some.bin", "--size", "16"});
    ASSERT_EQ(some.status, kExitOk) << some.err;
    const std::vector<std::uint8_t> factory = FactoryEepromImage();
    EXPECT_EQ(ReadBytes(folder / "some.bin"),
              std::vector<std::uint8_t>(factory.begin(), factory.begin() + 16));

    const Outcome none = RunCommandLine(
        {"device", "read", "--simulate", "--vid", "abcd", "-o", folder / "none.bin"});
    EXPECT_EQ(none.status, kExitNoDevice);
    EXPECT_NE(none.err.find("abcd"), std::string::npos) << none.err;
}

TEST(CommandListTest, StationDoctorAndRunRefuseWhatTheirOptionsName)
{
    TempFolder folder;
    const Outcome station = RunCommandLine({"station", "--image", folder / "no-such.bin", "--log",
                                            folder / "log.csv", "--simulate-units", "1"});
    EXPECT_EQ(station.status, kExitUsage);
    EXPECT_NE(station.err.find("no-such.bin"), std::string::npos) << station.err;

    EXPECT_EQ(RunCommandLine({"doctor", "--vid", "zz"}).status, kExitUsage);

    const Outcome run = RunCommandLine({"run", folder / "no-such.script"});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_NE(run.err.find("no-such.script"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace tovrik::cli
