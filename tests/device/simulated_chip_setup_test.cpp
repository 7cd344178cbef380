// SPDX-License-Identifier: MIT
// The set-up a script gives the simulated chip, and the counts that let a
// caller wait until chip and library are quiet.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "device/command_protocol.h"
#include "device/sim/simulated_device.h"
#include "support/chip_options.h"

namespace tovrik {
namespace {

namespace p = protocol;
using namespace std::chrono_literals;

// An image whose stream sets the vendor id registers 0 and 1 to 0xBEEF.
std::vector<std::uint8_t> ImageWithVendorId()
{
    return {'T', 'K', 4, 4, 0x00, 0xEF, 0x01, 0xBE};
}

TEST(SimulatedChipSetup, IdsHoldUntilThePlugBootsFromTheEeprom)
{
    SimulatedChip chip(Options(256, ImageWithVendorId()));
    ASSERT_EQ(chip.Enumeration()->vendorId, 0xBEEF);
    chip.SetIds(0x1234, 0x5678);
    EXPECT_EQ(chip.Enumeration()->vendorId, 0x1234);
    EXPECT_EQ(chip.Enumeration()->productId, 0x5678);
    const auto session = chip.OpenSession();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->vendorId, 0x1234);
    chip.Unplug();
    chip.Plug();
    EXPECT_EQ(chip.Enumeration()->vendorId, 0xBEEF);
    EXPECT_EQ(chip.Enumeration()->productId, SimulatedChip::kDefaultProductId);
}

TEST(SimulatedChipSetup, DeviceCodeChangesTheNextInfoReport)
{
    SimulatedChip chip(Options(256, {}, 23));
    const auto session = chip.OpenSession()->id;
    const std::uint8_t unlock[8] = {p::kRegisterReportId, 0, 0, 0, 0, p::kDeviceCodeRegister, 1,
                                    p::kDeviceCodeUnlock};
    ASSERT_EQ(chip.HostWrite(session, unlock, 8), 8);
    chip.SetDeviceCode(40);
    std::uint8_t info[p::kReportLength] = {p::kRegisterReportId};
    ASSERT_GT(chip.HostGetInputReport(session, info, p::kReportLength), 0);
    EXPECT_EQ(info[p::kInfoDeviceCode], 40);
}

TEST(SimulatedChipSetup, ResizingKeepsWhatFitsAndErasesTheRest)
{
    std::vector<std::uint8_t> image(512);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i);
    }
    SimulatedChip chip(Options(512, image));
    ASSERT_TRUE(chip.SetEepromSize(256));
    ASSERT_EQ(chip.Eeprom().size(), 256u);
    EXPECT_EQ(chip.Eeprom()[255], 255);
    ASSERT_TRUE(chip.SetEepromSize(1024));
    EXPECT_EQ(chip.EepromSize(), 1024);
    EXPECT_EQ(chip.Eeprom()[255], 255);
    EXPECT_EQ(chip.Eeprom()[256], 0xFF);
    EXPECT_EQ(chip.Eeprom()[1023], 0xFF);
    EXPECT_FALSE(chip.SetEepromSize(300));
    EXPECT_EQ(chip.EepromSize(), 1024);
}

TEST(SimulatedChipSetup, AnUnplugIsAnnouncedWhileTheChipIsStillThere)
{
    SimulatedChip chip;
    bool presentWhenTold = false;
    int told = 0;
    chip.AddPlugListener([&](bool plugged) {
        if (!plugged) {
            ++told;
            presentWhenTold = chip.IsPlugged();
        }
    });
    chip.Unplug();
    chip.Unplug();
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(presentWhenTold);
    EXPECT_FALSE(chip.IsPlugged());
}

TEST(SimulatedChipSetup, EventsCarryAllEightBytesAndAreCountedWhenRead)
{
    SimulatedDevice device(Options(256));
    device.Library().rmSetGenericNotifyMessages(GenericNotifyMessage);
    device.Library().rmSetMixerKeyNotifyMessages(MixerKeyDownMessage, MixerKeyUpMessage);
    SimulatedChip& chip = device.Chip();
    // Nobody reads before the device is opened.
    ASSERT_TRUE(chip.RaiseEvent(p::EventKind::Generic, {1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(chip.PendingInputReports(), 1);
    ASSERT_EQ(device.Start(), 1);
    ASSERT_TRUE(chip.RaiseEvent(p::EventKind::MixerKeyDown, {0x11, 0, 0, 0x80, 0, 0, 0, 0xFF}));

    const auto first = device.Queue().Take(2s);
    const auto second = device.Queue().Take(2s);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(*first, (WindowMessage{1, GenericNotifyMessage, 0x04030201u, 0x08070605}));
    EXPECT_EQ(*second, (WindowMessage{1, MixerKeyDownMessage, 0x80000011u,
                                        static_cast<LPARAM>(0xFF000000u)}));
    // The count of handled reports catches up with the chip's once both are posted.
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (device.Library().InputReportsHandled() < 2 &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(device.Library().InputReportsHandled(), 2u);
    EXPECT_EQ(chip.GetCounters().inputReportsRead, 2);
    EXPECT_EQ(chip.PendingInputReports(), 0);

    chip.Unplug();
    EXPECT_FALSE(chip.RaiseEvent(p::EventKind::Generic, {}));
}

}  // namespace
}  // namespace tovrik
