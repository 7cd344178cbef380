// SPDX-License-Identifier: MIT
// HidapiTransport through the real hidapi library and a umockdev hidraw node
// with a simulated chip behind it.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "app/factory_image.h"
#include "device/command_protocol.h"
#include "device/hidapi/hidapi_transport.h"
#include "umockdev_chip.h"

namespace tovrik {
namespace {

namespace p = protocol;
using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class HidapiTransportTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(bed.Error(), ""); }

    std::unique_ptr<HidDevice> OpenChip()
    {
        transport.Enumerate();
        return transport.Open(UmockdevChip::kDevicePath);
    }

    UmockdevChip bed{FactoryChipOptions()};
    HidapiTransport transport;
};

TEST_F(HidapiTransportTest, ListsTheChipWithTheIdsAndStringsItPresents)
{
    const auto presented = bed.Chip().Enumeration();
    ASSERT_TRUE(presented.has_value());
    const auto devices = transport.Enumerate();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].path, UmockdevChip::kDevicePath);
    EXPECT_EQ(devices[0].vendorId, presented->vendorId);
    EXPECT_EQ(devices[0].productId, presented->productId);
    EXPECT_EQ(devices[0].manufacturer, presented->manufacturer);
    EXPECT_EQ(devices[0].product, presented->product);
    EXPECT_EQ(devices[0].serialNumber, presented->serialNumber);
    EXPECT_FALSE(devices[0].manufacturer.empty());
}

TEST_F(HidapiTransportTest, OpensWithTheListedIdsAndTheDeclaredInputLength)
{
    // Opening without listing first must still find the ids.
    auto device = transport.Open(UmockdevChip::kDevicePath);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->VendorId(), SimulatedChip::kDefaultVendorId);
    EXPECT_EQ(device->ProductId(), SimulatedChip::kDefaultProductId);
    // 31 data bytes after the report id in the chip's longest input report.
    EXPECT_EQ(device->InputReportLength(), p::kReportLength);
    EXPECT_EQ(transport.LastOpenProblem(UmockdevChip::kDevicePath), OpenProblem::None);
}

TEST_F(HidapiTransportTest, InputReportOneOverTheControlPipe)
{
    auto device = OpenChip();
    ASSERT_NE(device, nullptr);
    p::Report info{};
    info[0] = 1;
    ASSERT_EQ(device->GetInputReport(info.data(), p::kInfoReportLength), p::kInfoReportLength);
    EXPECT_EQ(info[p::kInfoDeviceCode], 0) << "code released before the register write";
    EXPECT_EQ(info[p::kInfoVersion], p::kProtocolVersion);

    const std::uint8_t unlock[8] = {1, 0, 0, 0, 0, 0xFF, 0x01, 0x51};
    ASSERT_EQ(device->Write(unlock, 8), 8);
    info = {};
    info[0] = 1;
    ASSERT_EQ(device->GetInputReport(info.data(), p::kInfoReportLength), p::kInfoReportLength);
    EXPECT_EQ(info[p::kInfoDeviceCode], 23);

    // A shorter request gets that many bytes, as the kernel hands them over.
    p::Report shortInfo{};
    shortInfo[0] = 1;
    EXPECT_EQ(device->GetInputReport(shortInfo.data(), 8), 8);
    EXPECT_EQ(shortInfo[7], 23);
    EXPECT_EQ(shortInfo[8], 0);

    bed.Chip().RefuseInputReport1(true);
    EXPECT_EQ(device->GetInputReport(info.data(), p::kReportLength), -1);
}

TEST_F(HidapiTransportTest, InterruptReadsWaitAtMostTheirTimeOutAndTakeQueuedReports)
{
    auto device = OpenChip();
    ASSERT_NE(device, nullptr);
    p::Report report{};

    auto start = Clock::now();
    EXPECT_EQ(device->Read(report.data(), p::kReportLength, 60), 0);
    const auto waited = MillisecondsSince(start);
    EXPECT_GE(waited, 55);
    EXPECT_LT(waited, 1000);

    // A negative time-out must not turn into an endless blocking read.
    start = Clock::now();
    EXPECT_EQ(device->Read(report.data(), p::kReportLength, -1), 0);
    EXPECT_LT(MillisecondsSince(start), 1000);

    ASSERT_TRUE(bed.Chip().GenericEvent({1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_EQ(device->Read(report.data(), p::kReportLength, 1000), p::kReportLength);
    EXPECT_EQ(report[0], p::kEventReportId);
    EXPECT_EQ(report[p::kEventKind], static_cast<std::uint8_t>(p::EventKind::Generic));
    EXPECT_EQ(report[p::kEventData + 7], 8);

    // An event raised while a read waits ends the wait early.
    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        bed.Chip().PressKeyShort(0x42);
    });
    start = Clock::now();
    report = {};
    EXPECT_EQ(device->Read(report.data(), p::kReportLength, 5000), p::kReportLength);
    EXPECT_LT(MillisecondsSince(start), 2000);
    late.join();
    EXPECT_EQ(report[p::kEventData], 0x42);
    EXPECT_EQ(bed.Chip().PendingInputReports(), 0);
}

TEST_F(HidapiTransportTest, CommandsAreAnsweredOnTheInterruptPipe)
{
    auto device = OpenChip();
    ASSERT_NE(device, nullptr);
    p::Report command{};
    command[0] = p::kCommandReportId;
    command[p::kOpcode] = p::kOpEepromRead;
    command[p::kTag] = 9;
    command[p::kSequence] = 77;
    command[p::kCommandAddress] = 0x10;
    command[p::kCommandCount] = 8;
    command[p::kCommandSelected] = 8;
    ASSERT_EQ(device->Write(command.data(), p::kReportLength), p::kReportLength);
    p::Report answer{};
    ASSERT_EQ(device->Read(answer.data(), p::kReportLength, 1000), p::kReportLength);
    EXPECT_EQ(answer[0], p::kDataReportId);
    EXPECT_EQ(answer[p::kSequence], 77);
    EXPECT_EQ(answer[p::kDataLength], 8);
    const auto eeprom = bed.Chip().Eeprom();
    EXPECT_TRUE(std::equal(answer.begin() + p::kData, answer.begin() + p::kData + 8,
                           eeprom.begin() + 0x10));
}

TEST_F(HidapiTransportTest, AVanishedChipFailsEveryCallPromptlyAndLeavesTheListing)
{
    auto device = OpenChip();
    ASSERT_NE(device, nullptr);
    std::thread reader([&] {
        p::Report report{};
        const auto start = Clock::now();
        int n = 0;
        while ((n = device->Read(report.data(), p::kReportLength, 20)) == 0 &&
               MillisecondsSince(start) < 5000) {
        }
        EXPECT_EQ(n, -1) << "a read after the removal must fail, not time out";
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    bed.Unplug();
    reader.join();

    const std::uint8_t report[8] = {1, 0, 0, 0, 0, 0x10, 0x01, 0x00};
    EXPECT_EQ(device->Write(report, 8), -1);
    p::Report info{};
    info[0] = 1;
    EXPECT_EQ(device->GetInputReport(info.data(), p::kReportLength), -1);
    EXPECT_TRUE(transport.Enumerate().empty());
    EXPECT_EQ(transport.Open(UmockdevChip::kDevicePath), nullptr);
    EXPECT_EQ(transport.LastOpenProblem(UmockdevChip::kDevicePath), OpenProblem::NoSuchDevice);

    ASSERT_TRUE(bed.Plug());
    EXPECT_EQ(transport.Enumerate().size(), 1u);
    auto again = transport.Open(UmockdevChip::kDevicePath);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Write(report, 8), 8);
    EXPECT_EQ(transport.LastOpenProblem(UmockdevChip::kDevicePath), OpenProblem::None);
}

TEST_F(HidapiTransportTest, AnOpenRefusedForLackOfPermissionSaysSo)
{
    HidapiTransport denied([](const std::string&) { return EACCES; });
    denied.Enumerate();
    bed.RemoveNode();
    EXPECT_EQ(denied.Open(UmockdevChip::kDevicePath), nullptr);
    EXPECT_EQ(denied.LastOpenProblem(UmockdevChip::kDevicePath), OpenProblem::NoPermission);
    EXPECT_EQ(denied.OpenFailureMessage(UmockdevChip::kDevicePath),
              AccessDeniedMessage(UmockdevChip::kDevicePath));

    // The system's own answer when nothing is faked: the node is gone.
    EXPECT_EQ(transport.Open(UmockdevChip::kDevicePath), nullptr);
    EXPECT_EQ(transport.LastOpenProblem(UmockdevChip::kDevicePath), OpenProblem::NoSuchDevice);
    EXPECT_EQ(transport.OpenFailureMessage(UmockdevChip::kDevicePath), "");
}

}  // namespace
}  // namespace tovrik
