// SPDX-License-Identifier: MIT
#include "device/win32/stand_in_library.h"

#include <sstream>
#include <string>
#include <vector>

#include "cli/device_commands.h"
#include "cli/exit_codes.h"
#include "cli/temp_folder.h"

namespace tovrik::cli {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

// The device commands on a simulated chip, every connection through the
// stand-in DLL behind the adapter, attached to the chip's interface.
TEST(VendorDeviceCommands, EveryConnectionOfADeviceCommandGoesThroughTheLibrary)
{
    TempFolder folder;
    DeviceOptions chip;
    chip.simulate = true;
    chip.simulateFile = folder / "chip.bin";
    int made = 0;
    chip.external.make = [&made](HidTransport& view,
                                 MessageQueue& queue) -> std::unique_ptr<DeviceLibrary> {
        auto library = tovrik::test::LoadStandIn("tovrik_stand_in", view);
        if (!library) {
            throw UsageError{"the stand-in DLL cannot be loaded"};
        }
        library->Connect(queue, nullptr);
        ++made;
        return library;
    };

    std::vector<std::uint8_t> image(256);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i * 5 + 1);
    }
    image[0] = 0xFF;  // no configuration: the pages keep their defaults
    WriteBytes(folder / "image.bin", image);
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(WriteDevice(chip, folder / "image.bin", out, err), kExitOk) << err.str();
    EXPECT_EQ(ReadBytes(folder / "chip.bin"), image);
    ASSERT_EQ(ReadDevice(chip, folder / "back.bin", std::nullopt, false, out, err), kExitOk)
        << err.str();
    EXPECT_EQ(ReadBytes(folder / "back.bin"), image);
    EXPECT_EQ(made, 2);

    // The desktop tool's save, through the library, then read by the same way.
    ASSERT_EQ(EraseDevice(chip, false, out, err), kExitOk) << err.str();
    ASSERT_EQ(SetDevice(chip, {"serial=VL-0042"}, out, err), kExitOk) << err.str();
    std::ostringstream shown;
    ASSERT_EQ(ShowDevice(chip, true, shown, err), kExitOk) << err.str();
    EXPECT_NE(shown.str().find("VL-0042"), std::string::npos) << shown.str();
    EXPECT_EQ(made, 5);
}

}  // namespace
}  // namespace tovrik::cli
