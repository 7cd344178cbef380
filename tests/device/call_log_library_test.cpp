// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "device/call_log_library.h"
#include "device/sim/simulated_device.h"
#include "support/chip_options.h"

namespace tovrik {
namespace {

using Lines = std::vector<std::string>;

// Remembers what reached it and answers with preset results, so forwarding can be checked.
class FakeLibrary : public DeviceLibrary {
public:
    int result = 1;
    std::vector<std::string> seen;
    std::vector<std::uint8_t> received;
    std::vector<std::uint8_t> toRead;

    int rmDeviceStart(std::uint16_t vendorId, std::uint16_t productId, WindowHandle window,
                      int reserved, UINT added, UINT removed) override
    {
        return Note("start", vendorId, productId, window, reserved, added, removed);
    }
    void rmDeviceClose() override { Note("close"); }
    int rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                     std::uint32_t count) override
    {
        if (direction == kEepromRead) {
            std::copy_n(toRead.begin(), count, buffer);
        } else {
            received.assign(buffer, buffer + count);
        }
        return Note("burn", direction, address, count);
    }
    void rmSetEEPROMSize(int mode, int size) override { Note("size", mode, size); }
    int rmSetReport(const std::uint8_t* report, int length) override
    {
        received.assign(report, report + std::max(length, 0));
        return Note("report", length);
    }
    void rmSetI2CDeviceAddress(std::uint8_t slave) override { Note("slave", slave); }
    void rmWriteDataIntoI2C(std::uint16_t address, const std::uint8_t* buffer, int count) override
    {
        received.assign(buffer, buffer + std::max(count, 0));
        Note("i2cw", address, count);
    }
    int rmReadDataFromI2C(std::uint16_t address, std::uint8_t* buffer, int count) override
    {
        std::copy_n(toRead.begin(), count, buffer);
        return Note("i2cr", address, count);
    }
    void rmSetPin2GPO(std::uint16_t mask) override { Note("dir", mask); }
    void rmSetPinGPOLevel(std::uint16_t mask) override { Note("level", mask); }
    void rmHandleDeviceChangeNotification(WPARAM wParam, LPARAM lParam) override
    {
        Note("change", wParam, lParam);
    }
    void rmSetMixerKeyNotifyMessages(UINT down, UINT up) override { Note("mixer", down, up); }
    void rmSetGenericNotifyMessages(UINT message) override { Note("generic", message); }
    void rmSetI2CGenericNotifyMessages(UINT message) override { Note("i2cgeneric", message); }
    void rmSetGPIGenericNotifyMessages(UINT message) override { Note("gpi", message); }

private:
    template <typename... Args>
    int Note(std::string line, Args... args)
    {
        ((line += " " + std::to_string(args)), ...);
        seen.push_back(std::move(line));
        return result;
    }
};

class CallLogLibraryTest : public ::testing::Test {
protected:
    FakeLibrary inner;
    CallLogLibrary log{inner};
};

TEST_F(CallLogLibraryTest, DeviceStartForwardsArgumentsAndResultAndNamesTheWindow)
{
    EXPECT_EQ(log.rmDeviceStart(4617, 1, 77, 0, DeviceAddedMessage, DeviceRemovedMessage), 1);
    log.SetWindowNamer([](WindowHandle window) {
        return window == 77 ? std::string("main") : "page" + std::to_string(window);
    });
    inner.result = 0;
    EXPECT_EQ(log.rmDeviceStart(0xFFFF, 2, 77, 0, 1124, 1125), 0);
    EXPECT_EQ(log.rmDeviceStart(1, 2, 5, 0, 1124, 1125), 0);

    EXPECT_EQ(inner.seen, (Lines{"start 4617 1 77 0 1124 1125", "start 65535 2 77 0 1124 1125",
                                 "start 1 2 5 0 1124 1125"}));
    EXPECT_EQ(log.Calls(), (Lines{"rmDeviceStart(4617, 1, 77, 0, 1124, 1125) -> 1",
                                  "rmDeviceStart(65535, 2, main, 0, 1124, 1125) -> 0",
                                  "rmDeviceStart(1, 2, page5, 0, 1124, 1125) -> 0"}));
}

TEST_F(CallLogLibraryTest, EepromTransfersPassBytesBothWaysAndLogTheBufferByName)
{
    inner.toRead = {0x11, 0x22, 0x33, 0x44};
    std::array<std::uint8_t, 4> buffer{};
    EXPECT_EQ(log.rmBurnEEPROM(kEepromRead, 0, buffer.data(), 4), 1);
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{0x11, 0x22, 0x33, 0x44}));

    inner.result = 0;
    std::array<std::uint8_t, 3> data{9, 8, 7};
    EXPECT_EQ(log.rmBurnEEPROM(kEepromWrite, 2040, data.data(), 3), 0);
    EXPECT_EQ(inner.received, (std::vector<std::uint8_t>{9, 8, 7}));

    EXPECT_EQ(inner.seen, (Lines{"burn 0 0 4", "burn 1 2040 3"}));
    EXPECT_EQ(log.Calls(),
              (Lines{"rmBurnEEPROM(0, 0, buf, 4) -> 1", "rmBurnEEPROM(1, 2040, buf, 3) -> 0"}));
}

TEST_F(CallLogLibraryTest, ReportsShowExactlyLengthBytesInLowerCaseHexWithoutAResult)
{
    // The trailing 0xEE must not appear: only `length` bytes are taken.
    const std::array<std::uint8_t, 9> report{0x01, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x01, 0x51, 0xEE};
    inner.result = 7;
    EXPECT_EQ(log.rmSetReport(report.data(), 8), 7);
    EXPECT_EQ(inner.received, (std::vector<std::uint8_t>(report.begin(), report.begin() + 8)));

    // Nothing to show for a missing or empty report; the call still goes through.
    inner.result = 0;
    EXPECT_EQ(log.rmSetReport(report.data(), 0), 0);
    EXPECT_EQ(log.rmSetReport(report.data(), -3), 0);

    EXPECT_EQ(log.Calls(), (Lines{"rmSetReport([01 00 00 00 00 ff 01 51], 8)", "rmSetReport([], 0)",
                                  "rmSetReport([], -3)"}));
    EXPECT_EQ(inner.seen, (Lines{"report 8", "report 0", "report -3"}));
}

TEST_F(CallLogLibraryTest, I2cTransfersShowWrittenBytesAndTheReadResult)
{
    log.rmSetI2CDeviceAddress(160);
    const std::array<std::uint8_t, 3> data{0x0A, 0x0B, 0xC0};
    log.rmWriteDataIntoI2C(16, data.data(), 2);
    log.rmWriteDataIntoI2C(65535, nullptr, 0);
    EXPECT_EQ(inner.received, (std::vector<std::uint8_t>{}));

    inner.toRead = {0xDE, 0xAD};
    std::array<std::uint8_t, 2> buffer{};
    EXPECT_EQ(log.rmReadDataFromI2C(300, buffer.data(), 2), 1);
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 2>{0xDE, 0xAD}));

    EXPECT_EQ(inner.seen, (Lines{"slave 160", "i2cw 16 2", "i2cw 65535 0", "i2cr 300 2"}));
    EXPECT_EQ(log.Calls(),
              (Lines{"rmSetI2CDeviceAddress(160)", "rmWriteDataIntoI2C(16, [0a 0b], 2)",
                     "rmWriteDataIntoI2C(65535, [], 0)", "rmReadDataFromI2C(300, buf, 2) -> 1"}));
}

TEST_F(CallLogLibraryTest, CallsWithoutAUsedResultLogArgumentsInDecimal)
{
    log.rmDeviceClose();
    log.rmSetEEPROMSize(1, 512);
    log.rmSetPin2GPO(255);
    log.rmSetPinGPOLevel(65535);
    log.rmHandleDeviceChangeNotification(32768, -5);
    log.rmSetMixerKeyNotifyMessages(0, 0);
    log.rmSetGenericNotifyMessages(GenericNotifyMessage);
    log.rmSetI2CGenericNotifyMessages(I2CGenericNotifyMessage);
    log.rmSetGPIGenericNotifyMessages(GPIGenericNotifyMessage);

    EXPECT_EQ(inner.seen, (Lines{"close", "size 1 512", "dir 255", "level 65535", "change 32768 -5",
                                 "mixer 0 0", "generic 1131", "i2cgeneric 1132", "gpi 1128"}));
    EXPECT_EQ(
        log.Calls(),
        (Lines{"rmDeviceClose()", "rmSetEEPROMSize(1, 512)", "rmSetPin2GPO(255)",
               "rmSetPinGPOLevel(65535)", "rmHandleDeviceChangeNotification(32768, -5)",
               "rmSetMixerKeyNotifyMessages(0, 0)", "rmSetGenericNotifyMessages(1131)",
               "rmSetI2CGenericNotifyMessages(1132)", "rmSetGPIGenericNotifyMessages(1128)"}));
}

TEST_F(CallLogLibraryTest, TakeCallsReturnsTheLinesSinceTheLastTakeAndClears)
{
    EXPECT_TRUE(log.TakeCalls().empty());
    log.rmDeviceClose();
    log.rmSetPin2GPO(3);
    EXPECT_EQ(log.TakeCalls(), (Lines{"rmDeviceClose()", "rmSetPin2GPO(3)"}));
    EXPECT_TRUE(log.Calls().empty());
    log.rmSetPinGPOLevel(1);
    EXPECT_EQ(log.Calls(), (Lines{"rmSetPinGPOLevel(1)"}));
    EXPECT_EQ(log.TakeCalls(), (Lines{"rmSetPinGPOLevel(1)"}));
    EXPECT_TRUE(log.TakeCalls().empty());
}

// The whole path to a simulated chip: what the chip holds comes back through the log.
TEST(CallLogLibrarySimulatedTest, ForwardsToTheRealLibrary)
{
    SimulatedDevice device(Options(256, {0x5A, 0xA5, 0x01}));
    CallLogLibrary log(device.Library());
    log.SetWindowNamer([](WindowHandle) { return std::string("main"); });

    ASSERT_EQ(log.rmDeviceStart(SimulatedChip::kDefaultVendorId, SimulatedChip::kDefaultProductId,
                                1, 0, DeviceAddedMessage, DeviceRemovedMessage),
              1);
    std::array<std::uint8_t, 4> buffer{};
    EXPECT_EQ(log.rmBurnEEPROM(kEepromRead, 0, buffer.data(), 4), 1);
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{0x5A, 0xA5, 0x01, 0xFF}));
    // Past the fitted EEPROM the library fails, and the log shows the failure.
    EXPECT_EQ(log.rmBurnEEPROM(kEepromRead, 254, buffer.data(), 4), 0);

    const std::array<std::uint8_t, 8> report{0x01, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x01, 0x51};
    log.rmSetReport(report.data(), 8);
    EXPECT_EQ(device.Chip().Register(0xFF), 0x51);
    log.rmDeviceClose();

    EXPECT_EQ(log.TakeCalls(),
              (Lines{"rmDeviceStart(4617, 1, main, 0, 1124, 1125) -> 1",
                     "rmBurnEEPROM(0, 0, buf, 4) -> 1", "rmBurnEEPROM(0, 254, buf, 4) -> 0",
                     "rmSetReport([01 00 00 00 00 ff 01 51], 8)", "rmDeviceClose()"}));
}

}  // namespace
}  // namespace tovrik
