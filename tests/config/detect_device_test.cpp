// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "config/eeprom_config.h"
#include "device/sim/simulated_device.h"
#include "platform/recording_prompter.h"
#include "support/chip_options.h"

namespace tovrik {
namespace {

class DetectDeviceTest : public ::testing::Test {
protected:
    explicit DetectDeviceTest(std::uint8_t code = 0x1F) : device(Options(256, {}, code)) {}

    void SetUp() override
    {
        ASSERT_EQ(device.Start(), 1);
        config.SetHidTransport(&device.Transport());
        config.SetDeviceCode(99);
    }

    SimulatedDevice device;
    RecordingPrompter prompter;
    EepromConfig config{device.Library(), prompter};
};

TEST_F(DetectDeviceTest, ReadsByte7OfInputReport1AfterTheRegisterWrite)
{
    EXPECT_EQ(config.DetectDevice(0x1209, 0x0001), 1);
    EXPECT_EQ(config.GetDeviceCode(), 31);
    EXPECT_EQ(device.Chip().Register(0xFF), 0x51);
    EXPECT_TRUE(prompter.Prompts().empty());
}

TEST_F(DetectDeviceTest, FailuresLeaveCodeZeroWithoutAMessage)
{
    // No interface with the ids: the register write still goes out.
    EXPECT_EQ(config.DetectDevice(0x1209, 0x0002), 0);
    EXPECT_EQ(config.GetDeviceCode(), 0);
    EXPECT_EQ(device.Chip().GetCounters().registerWrites, 1);

    config.SetDeviceCode(99);
    device.Chip().RefuseInputReport1(true);
    EXPECT_EQ(config.DetectDevice(0x1209, 0x0001), 0);
    EXPECT_EQ(config.GetDeviceCode(), 0);

    config.SetHidTransport(nullptr);
    config.SetDeviceCode(99);
    EXPECT_EQ(config.DetectDevice(0x1209, 0x0001), 0);
    EXPECT_EQ(config.GetDeviceCode(), 0);
    EXPECT_TRUE(prompter.Prompts().empty());
}

}  // namespace
}  // namespace tovrik
