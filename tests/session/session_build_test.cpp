// SPDX-License-Identifier: MIT
#include "session/tool_session.h"

#include <gtest/gtest.h>

#include "support/posix_shim.h"

#include <filesystem>
#include <fstream>
#include <string>

#include "device/no_device_transport.h"
#include "device/sim/simulated_chip.h"
#include "platform/recording_prompter.h"
#include "session/chip_access.h"
#include "session/chip_choice.h"
#include "session/platform_devices.h"
#include "support/memory_eeprom_library.h"

namespace tovrik {
namespace {

// Stands in for the chip maker's library; the tool never calls it here.
class IdleLibrary : public MemoryEepromLibrary {};

std::unique_ptr<ToolSession> Build(const SessionDescription& description,
                                   const PlatformDevices& platform, std::string& error)
{
    static RecordingPrompter prompter;
    return ToolSession::Build(description, prompter, error, platform);
}

TEST(SessionBuildTest, AChoiceThatCannotBeUsedIsRefusedWithTheReason)
{
    PlatformDevices none;
    std::string error;

    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "tovrik-session-300.bin";
    std::ofstream(file, std::ios::binary) << std::string(300, '\0');
    SessionDescription cut;
    cut.chip.simulate = true;
    cut.chip.backingFile = file.string();
    EXPECT_EQ(Build(cut, none, error), nullptr);
    EXPECT_NE(error.find("300 bytes is not the size of an EEPROM image"), std::string::npos)
        << error;
    std::filesystem::remove(file);

    SessionDescription hidapi;
    hidapi.chip.transport = "hidapi";
    EXPECT_EQ(Build(hidapi, none, error), nullptr);
    EXPECT_EQ(error, "this build has no hidapi transport");

    SessionDescription vendor;
    vendor.chip.vendorLibrary = "maker.dll";
    EXPECT_EQ(Build(vendor, none, error), nullptr);
    EXPECT_EQ(error, "this build cannot load the chip maker's device library");

    PlatformDevices refusing;
    LibraryAdapter adapter;
    adapter.load = [](const std::string& path, std::string& why) -> std::unique_ptr<DeviceLibrary> {
        why = "device library " + path + " does not exist";
        return nullptr;
    };
    refusing.SetLibraryAdapter(adapter);
    EXPECT_EQ(Build(vendor, refusing, error), nullptr);
    EXPECT_EQ(error, "device library maker.dll does not exist");
}

TEST(SessionBuildTest, ASimulatedChipsFileOfNoEepromSizeIsRefusedByName)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "sizes-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::filesystem::path folder = pattern;
    ChipChoice choice;
    choice.simulate = true;
    for (const std::size_t size : {0u, 255u, 600u, 2049u, 512u}) {
        choice.backingFile = (folder / ("chip" + std::to_string(size) + ".bin")).string();
        std::ofstream(choice.backingFile, std::ios::binary) << std::string(size, '\xFF');
        std::string error;
        const auto options = SimulatedChipFor(choice, error);
        if (size == 512u) {
            ASSERT_TRUE(options) << error;
            EXPECT_EQ(options->eepromSize, 512);
        } else {
            EXPECT_FALSE(options) << size;
            EXPECT_NE(error.find(choice.backingFile + ": " + std::to_string(size) + " bytes"),
                      std::string::npos)
                << error;
        }
    }
    std::filesystem::remove_all(folder);
}

TEST(SessionBuildTest, ASimulatedChipsFileInUseByAnotherChipIsRefusedWithTheReason)
{
    std::string folder = (std::filesystem::temp_directory_path() / "tovrik-in-use-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    ChipChoice choice;
    choice.simulate = true;
    choice.backingFile = folder + "/chip.bin";
    std::string error;
    std::unique_ptr<ChipAccess> first = ChipAccess::Open(choice, error);
    ASSERT_NE(first, nullptr) << error;

    // A second writer would mix its bytes with the first one's: it is refused at start.
    std::unique_ptr<ChipAccess> second = ChipAccess::Open(choice, error);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(error.find(choice.backingFile + " is in use by another simulated chip"),
              std::string::npos)
        << error;
    SimulatedChipOptions options;
    options.backingFile = choice.backingFile;
    EXPECT_NE(SimulatedChip(options).BackingFileError(), "");

    // Once the first lets go the file is free again.
    first.reset();
    second = ChipAccess::Open(choice, error);
    EXPECT_NE(second, nullptr) << error;
    second.reset();
    std::filesystem::remove_all(folder);
}

TEST(SessionBuildTest, TheChipMakersLibraryIsConnectedAtOnceOrWhenTheWindowComes)
{
    PlatformDevices platform;
    int connects = 0;
    void* window = nullptr;
    LibraryAdapter adapter;
    adapter.load = [](const std::string&, std::string&) -> std::unique_ptr<DeviceLibrary> {
        return std::make_unique<IdleLibrary>();
    };
    adapter.connect = [&](DeviceLibrary&, MessageQueue&, void* given) {
        ++connects;
        window = given;
        return true;
    };
    platform.SetLibraryAdapter(adapter);
    std::string error;

    SessionDescription command;
    command.chip.vendorLibrary = "maker.dll";
    auto session = Build(command, platform, error);
    ASSERT_NE(session, nullptr) << error;
    EXPECT_TRUE(session->HasExternalLibrary());
    EXPECT_EQ(connects, 1);
    EXPECT_EQ(window, nullptr);

    SessionDescription desktop = command;
    desktop.libraryWaitsForWindow = true;
    session = Build(desktop, platform, error);
    ASSERT_NE(session, nullptr) << error;
    EXPECT_EQ(connects, 1);
    int frame = 0;
    EXPECT_TRUE(session->ConnectExternalLibrary(&frame));
    EXPECT_EQ(connects, 2);
    EXPECT_EQ(window, &frame);

    adapter.connect = [](DeviceLibrary&, MessageQueue&, void*) { return false; };
    platform.SetLibraryAdapter(adapter);
    EXPECT_EQ(Build(command, platform, error), nullptr);
    EXPECT_NE(error.find("messages cannot reach"), std::string::npos) << error;
}

TEST(SessionBuildTest, ARunOnAnOutsideDeviceKeepsASimulatedChipAtHandOnlyWhenAsked)
{
    PlatformDevices platform;
    platform.AddTransport("bench", [] { return std::make_unique<NoDeviceTransport>(); });
    std::string error;

    SessionDescription plain;
    plain.chip.transport = "bench";
    auto session = Build(plain, platform, error);
    ASSERT_NE(session, nullptr) << error;
    EXPECT_EQ(session->Chip(), nullptr);
    EXPECT_TRUE(session->OutsideDevice());

    SessionDescription script = plain;
    script.keepSimulatedChip = true;
    script.callLog = true;
    session = Build(script, platform, error);
    ASSERT_NE(session, nullptr) << error;
    ASSERT_NE(session->Chip(), nullptr);
    EXPECT_TRUE(session->OutsideDevice());
    // The tool's calls are logged above the library that reaches the device.
    ASSERT_NE(session->CallLog(), nullptr);
    EXPECT_EQ(&session->Library(), session->CallLog());
    EXPECT_EQ(&session->DeviceLibraryInUse(), &session->OwnLibrary());

    SessionDescription simulated;
    simulated.chip.simulate = true;
    session = Build(simulated, platform, error);
    ASSERT_NE(session, nullptr) << error;
    EXPECT_FALSE(session->OutsideDevice());
    EXPECT_EQ(session->CallLog(), nullptr);
    EXPECT_EQ(&session->Library(), &session->OwnLibrary());
}

TEST(SessionBuildTest, TheChipMakersLibraryIsCheckedOnceAndLoadedAgainForLaterConnections)
{
    PlatformDevices platform;
    int loads = 0;
    bool loadFails = false;
    LibraryAdapter adapter;
    adapter.load = [&](const std::string&, std::string& error) -> std::unique_ptr<DeviceLibrary> {
        ++loads;
        if (loadFails) {
            error = "gone";
            return nullptr;
        }
        return std::make_unique<IdleLibrary>();
    };
    platform.SetLibraryAdapter(adapter);
    std::string error;
    auto source = DeviceLibrarySource::ForVendorLibrary("maker.dll", error, platform);
    ASSERT_NE(source, nullptr) << error;
    EXPECT_EQ(loads, 1);
    NoDeviceTransport view;
    MessageQueue queue;
    // The first connection takes the library loaded for the check.
    EXPECT_NE(source->Make(view, queue, error), nullptr);
    EXPECT_EQ(loads, 1);
    EXPECT_NE(source->Make(view, queue, error), nullptr);
    EXPECT_EQ(loads, 2);
    loadFails = true;
    EXPECT_EQ(source->Make(view, queue, error), nullptr);
    EXPECT_EQ(error, "gone");
}

}  // namespace
}  // namespace tovrik
