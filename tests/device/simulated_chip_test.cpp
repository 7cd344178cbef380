// SPDX-License-Identifier: MIT
#include "device/sim/simulated_chip.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "support/posix_shim.h"

#include "device/sim/sim_transport.h"
#include "support/chip_options.h"
#include "platform/message_queue.h"

namespace tovrik {
namespace {

namespace p = protocol;

// Sends one raw request (with its data reports) and returns the chip's first
// answer: a data report for a read that worked, else the status report.
p::Report Exchange(HidDevice& device, std::uint8_t opcode, std::uint8_t tag, std::uint16_t address,
                   const std::vector<std::uint8_t>& data, int count = -1, std::uint8_t slave = 0)
{
    const int n = count >= 0 ? count : static_cast<int>(data.size());
    p::Report command{};
    command[0] = p::kCommandReportId;
    command[p::kOpcode] = opcode;
    command[p::kTag] = tag;
    p::Put16(command, p::kCommandAddress, address);
    p::Put16(command, p::kCommandCount, static_cast<std::uint32_t>(n));
    p::Put16(command, p::kCommandSelected, static_cast<std::uint32_t>(n));
    command[p::kCommandSlave] = slave;
    EXPECT_EQ(device.Write(command.data(), p::kReportLength), p::kReportLength);
    for (std::size_t at = 0; at < data.size(); at += p::kMaxData) {
        p::Report report{};
        report[0] = p::kDataReportId;
        std::copy_n(command.begin() + 1, 3, report.begin() + 1);
        report[p::kDataIndex] = static_cast<std::uint8_t>(at / p::kMaxData);
        const auto length = std::min<std::size_t>(p::kMaxData, data.size() - at);
        report[p::kDataLength] = static_cast<std::uint8_t>(length);
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), length,
                    report.begin() + p::kData);
        EXPECT_EQ(device.Write(report.data(), p::kReportLength), p::kReportLength);
    }
    p::Report answer{};
    EXPECT_EQ(device.Read(answer.data(), p::kReportLength, 1000), p::kReportLength);
    return answer;
}

std::uint8_t Status(const p::Report& answer)
{
    return answer[0] == p::kDataReportId ? answer[p::kDataStatus] : answer[p::kAnswerStatus];
}

int InfoDeviceCode(HidDevice& device)
{
    std::uint8_t report[17] = {p::kRegisterReportId};
    return device.GetInputReport(report, sizeof report) == 17 ? report[p::kInfoDeviceCode] : -1;
}

// An image with ids 0x1234:0x5678, manufacturer and serial strings, filler and
// a run over registers 255, 0 and 1 that supplies the vendor id.
std::vector<std::uint8_t> BootImage()
{
    std::vector<std::uint8_t> stream = {2,    0x78, 3,    0x56, 8,    0x28, 91,   100,  93,  110,
                                        0xFF, 0xFF, 0xFE, 0xFF, 0x03, 0xA1, 0x34, 0x12, 0x00};
    std::vector<std::uint8_t> image = {'T', 'K', 4, static_cast<std::uint8_t>(stream.size())};
    image.insert(image.end(), stream.begin(), stream.end());
    image.resize(256, 0xFF);
    const std::string maker = "Acme";
    image[100] = static_cast<std::uint8_t>(2 * maker.size() + 2);
    std::copy(maker.begin(), maker.end(), image.begin() + 101);
    image[110] = 2 * 3 + 2;
    std::copy_n("S01", 3, image.begin() + 111);
    return image;
}

TEST(SimulatedChipBoot, ReadsIdsStringsAndRegistersFromTheImage)
{
    SimulatedChip chip(Options(256, BootImage()));
    const auto info = chip.Enumeration();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->vendorId, 0x1234);
    EXPECT_EQ(info->productId, 0x5678);
    EXPECT_EQ(info->manufacturer, "Acme");
    EXPECT_EQ(info->product, SimulatedChip::kDefaultProduct);  // bit 4 not set
    EXPECT_EQ(info->serialNumber, "S01");
    EXPECT_EQ(chip.Register(0xFF), 0xA1);
    EXPECT_EQ(chip.Register(8), 0x28);
    EXPECT_EQ(chip.Register(0xFE), 0);
}

TEST(SimulatedChipBoot, FallsBackToDefaultsWithoutMagicOrWithBrokenBlocks)
{
    SimulatedChip blank;
    EXPECT_EQ(blank.Enumeration()->vendorId, SimulatedChip::kDefaultVendorId);
    EXPECT_EQ(blank.Enumeration()->productId, SimulatedChip::kDefaultProductId);
    EXPECT_EQ(blank.Enumeration()->manufacturer, SimulatedChip::kDefaultManufacturer);

    auto image = BootImage();
    image[100] = 2 * 33 + 2;  // more than 32 characters
    image[20] = 0x00;         // vendor id registers 0 and 1 both 0
    image[21] = 0x00;
    SimulatedChip broken(Options(256, image));
    EXPECT_EQ(broken.Enumeration()->manufacturer, SimulatedChip::kDefaultManufacturer);
    EXPECT_EQ(broken.Enumeration()->vendorId, SimulatedChip::kDefaultVendorId);
    EXPECT_EQ(broken.Enumeration()->serialNumber, "S01");
}

TEST(SimulatedChipBoot, PlugBootsFromTheCurrentEepromAndResetsRegisters)
{
    SimulatedChip chip;
    SimTransport transport(chip);
    auto device = transport.Open(SimTransport::kDevicePath);
    const std::uint8_t reg[8] = {1, 0, 0, 0, 0, 0x40, 1, 0x99};
    ASSERT_EQ(device->Write(reg, 8), 8);
    EXPECT_EQ(chip.Register(0x40), 0x99);

    ASSERT_TRUE(chip.SetEeprom(BootImage()));
    EXPECT_EQ(chip.Enumeration()->vendorId, SimulatedChip::kDefaultVendorId);  // not yet booted
    chip.Unplug();
    EXPECT_TRUE(transport.Enumerate().empty());
    chip.Plug();
    ASSERT_EQ(transport.Enumerate().size(), 1u);
    EXPECT_EQ(transport.Enumerate()[0].vendorId, 0x1234);
    EXPECT_EQ(transport.Enumerate()[0].path, SimTransport::kDevicePath);
    EXPECT_EQ(chip.Register(0x40), 0);
    // A handle from before the unplug stays dead after the replug.
    std::uint8_t buffer[17] = {};
    EXPECT_EQ(device->Write(reg, 8), -1);
    EXPECT_EQ(device->Read(buffer, 17, 0), -1);
    EXPECT_EQ(InfoDeviceCode(*device), -1);
}

TEST(SimulatedChipInfo, DeviceCodeAppearsOnlyAfterTheUnlockWrite)
{
    SimulatedChip chip(Options(256, {}, 0x1F));
    SimTransport transport(chip);
    auto device = transport.Open(SimTransport::kDevicePath);
    EXPECT_EQ(InfoDeviceCode(*device), 0);
    const std::uint8_t other[8] = {1, 0, 0, 0, 0, 0xFF, 1, 0x50};
    device->Write(other, 8);
    EXPECT_EQ(InfoDeviceCode(*device), 0);
    const std::uint8_t unlock[8] = {1, 0, 0, 0, 0, 0xFF, 1, 0x51};
    device->Write(unlock, 8);
    EXPECT_EQ(InfoDeviceCode(*device), 0x1F);

    chip.RefuseInputReport1(true);
    EXPECT_EQ(InfoDeviceCode(*device), -1);
    chip.RefuseInputReport1(false);
    std::uint8_t wrongId[17] = {2};
    EXPECT_EQ(device->GetInputReport(wrongId, 17), -1);

    chip.Unplug();
    chip.Plug();
    EXPECT_EQ(InfoDeviceCode(*transport.Open(SimTransport::kDevicePath)), 0);
}

TEST(SimulatedChipEeprom, WriteAcrossAPageTakesOneCyclePerPageAndRangeIsChecked)
{
    for (const int size : {256, 1024}) {
        SCOPED_TRACE(size);
        SimulatedChip chip(Options(size));
        SimTransport transport(chip);
        auto device = transport.Open(SimTransport::kDevicePath);
        const int page = size == 256 ? 8 : 16;
        const int start = page - 3;
        const auto before = chip.Traffic();
        auto answer = Exchange(*device, p::kOpEepromWrite, 1, start, {1, 2, 3, 4, 5});
        EXPECT_EQ(Status(answer), p::kStatusOk);
        const auto d = chip.Traffic() - before;
        EXPECT_EQ(d.writeCycles, 2u);
        EXPECT_EQ(d.i2cBytes, 5u + 2 * 2);  // slave and word address per page
        EXPECT_EQ(d.reportsOut, 2u);
        EXPECT_EQ(d.reportsIn, 1u);
        EXPECT_EQ(d.timeUs, 3 * 1000u + 9 * 90u + 2 * 5000u);
        const auto e = chip.Eeprom();
        EXPECT_EQ(std::vector<std::uint8_t>(e.begin() + start, e.begin() + start + 5),
                  (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
        EXPECT_EQ(e[0], 0xFF);  // nothing wrapped to the start of the first page

        answer = Exchange(*device, p::kOpEepromRead, 2, start, {}, 20);
        EXPECT_EQ(answer[0], p::kDataReportId);
        EXPECT_EQ(answer[p::kDataLength], 16);
        EXPECT_EQ(answer[p::kData + 4], 5);
        ASSERT_EQ(device->Read(answer.data(), p::kReportLength, 1000), p::kReportLength);
        EXPECT_EQ(answer[p::kDataIndex], 1);
        EXPECT_EQ(answer[p::kDataLength], 4);

        answer = Exchange(*device, p::kOpEepromRead, 2, size - 2, {}, 3);
        EXPECT_EQ(Status(answer), p::kStatusOutOfRange);
        answer = Exchange(*device, p::kOpEepromWrite, 3, size - 1, {9, 9});
        EXPECT_EQ(Status(answer), p::kStatusOutOfRange);
        EXPECT_EQ(chip.Eeprom()[size - 1], 0xFF);
        answer = Exchange(*device, p::kOpEepromRead, 4, 0, {}, 0);
        EXPECT_EQ(Status(answer), p::kStatusBadCommand);
    }
}

TEST(SimulatedChipTiming, RealTimeTakesTheModelledTime)
{
    SimulatedChip chip;
    SimTransport transport(chip);
    auto device = transport.Open(SimTransport::kDevicePath);
    chip.SetRealTiming(true);
    const auto start = std::chrono::steady_clock::now();
    // Request and data report, 19 bytes on the bus: 2000 + 19 * 90 microseconds.
    EXPECT_EQ(Exchange(*device, p::kOpEepromRead, 1, 0, {}, 16)[0], p::kDataReportId);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(3710));
    EXPECT_EQ(chip.Traffic().timeUs, 3710u);
}

TEST(SimulatedChipEeprom, EachPageReachesTheBackingFileAsItsWriteCycleEnds)
{
    const auto dir = std::filesystem::temp_directory_path() /
                     ("tovrik_chip_pages_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto path = (dir / "eeprom.bin").string();
    auto fileBytes = [&] {
        std::ifstream in(path, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    };
    const std::vector<std::uint8_t> before(256, 0x00);
    // Pages 1..3 of eight bytes each, written by one request.
    auto pagesWritten = [&](int pages) {
        auto bytes = before;
        std::fill_n(bytes.begin() + 8, 8 * pages, 0xEE);
        return bytes;
    };
    // A long write cycle gives the watcher time to see the file between pages;
    // a watcher held up that long only makes the attempt inconclusive.
    bool sawPartOfTheRequest = false;
    for (int attempt = 0; attempt < 5 && !sawPartOfTheRequest; ++attempt) {
        std::filesystem::remove(path);
        SimulatedChip chip(Options(256, before, 23, path));
        chip.SetRealTiming(true);
        chip.SetWriteCycleUs(200000);
        SimTransport transport(chip);
        auto device = transport.Open(SimTransport::kDevicePath);
        std::atomic<bool> done{false};
        std::thread writer([&] {
            EXPECT_EQ(Status(Exchange(*device, p::kOpEepromWrite, 1, 8,
                                      std::vector<std::uint8_t>(24, 0xEE))),
                      p::kStatusOk);
            done = true;
        });
        while (!done) {
            const auto bytes = fileBytes();
            // Only whole pages, in address order, ever reach the file.
            EXPECT_TRUE(bytes == pagesWritten(0) || bytes == pagesWritten(1) ||
                        bytes == pagesWritten(2) || bytes == pagesWritten(3));
            sawPartOfTheRequest =
                sawPartOfTheRequest || bytes == pagesWritten(1) || bytes == pagesWritten(2);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        writer.join();
        EXPECT_EQ(fileBytes(), pagesWritten(3));
    }
    EXPECT_TRUE(sawPartOfTheRequest);
    std::filesystem::remove_all(dir);
}

TEST(SimulatedChipEeprom, FaultInjectionCountsTransfersByTagChanges)
{
    SimulatedChip chip;
    SimTransport transport(chip);
    auto device = transport.Open(SimTransport::kDevicePath);
    chip.FailEepromTransfer(2);
    auto status = [&](std::uint8_t tag) {
        return Status(Exchange(*device, p::kOpEepromRead, tag, 0, {}, 4));
    };
    EXPECT_EQ(status(7), p::kStatusOk);  // transfer 1, two chunks
    EXPECT_EQ(status(7), p::kStatusOk);
    EXPECT_EQ(status(8), p::kStatusDeviceError);  // transfer 2 fails on every chunk
    EXPECT_EQ(status(8), p::kStatusDeviceError);
    EXPECT_EQ(status(9), p::kStatusOk);
    EXPECT_EQ(chip.GetCounters().eepromTransfers, 3);
}

TEST(SimulatedChipEeprom, BackingFileIsCreatedLoadedAndWrittenAtOnce)
{
    const auto dir =
        std::filesystem::temp_directory_path() / ("tovrik_chip_test_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto path = (dir / "eeprom.bin").string();
    auto fileBytes = [&] {
        std::ifstream in(path, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    };
    {
        SimulatedChip chip(Options(512, {1, 2, 3}, 23, path));
        auto bytes = fileBytes();
        ASSERT_EQ(bytes.size(), 512u);
        EXPECT_EQ(bytes[2], 3);
        EXPECT_EQ(bytes[3], 0xFF);

        SimTransport transport(chip);
        auto device = transport.Open(SimTransport::kDevicePath);
        Exchange(*device, p::kOpEepromWrite, 1, 300, {0xAB, 0xCD});
        bytes = fileBytes();
        EXPECT_EQ(bytes[300], 0xAB);
        EXPECT_EQ(bytes[301], 0xCD);
    }
    {
        SimulatedChip reopened(Options(512, {}, 23, path));
        EXPECT_EQ(reopened.Eeprom()[1], 2);
        EXPECT_EQ(reopened.Eeprom()[301], 0xCD);
    }
    for (const std::size_t size : {0u, 2u, 100u}) {
        // A file of another size (one a crash cut short, say) is no EEPROM image:
        // refused with a reason, never written, never taken for an erased EEPROM.
        const std::vector<char> cut(size, '\x11');
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(cut.data(), size);
        SimulatedChip refused(Options(256, {}, 23, path));
        EXPECT_NE(refused.BackingFileError().find(std::to_string(size) + " bytes"), std::string::npos);
        SimTransport transport(refused);
        auto device = transport.Open(SimTransport::kDevicePath);
        EXPECT_EQ(Status(Exchange(*device, p::kOpEepromWrite, 1, 0, {5})), p::kStatusDeviceError);
        EXPECT_EQ(fileBytes().size(), size);
    }
    {
        std::filesystem::remove(path);
        SimulatedChip chip(Options(256, std::vector<std::uint8_t>(256, 0x00), 23, path));
        SimTransport transport(chip);
        auto device = transport.Open(SimTransport::kDevicePath);
        // One write of a save that has more to come; the chip stops after it.
        Exchange(*device, p::kOpEepromWrite, 1, 0, std::vector<std::uint8_t>(p::kMaxData, 0xEE));
        std::vector<std::uint8_t> expected(256, 0x00);
        std::fill_n(expected.begin(), p::kMaxData, 0xEE);
        EXPECT_EQ(fileBytes(), expected);

        // Once the file cannot be written, a write is answered with an error. (Only the
        // file goes: the lock beside it is held while the chip lives.)
        std::filesystem::remove(path);
        EXPECT_EQ(Status(Exchange(*device, p::kOpEepromWrite, 2, 0, {5})), p::kStatusDeviceError);
    }
    std::filesystem::remove_all(dir);
}

TEST(SimulatedChipI2c, MemoryAnswersAtA0AndOtherSlavesNack)
{
    SimulatedChip chip;
    SimTransport transport(chip);
    auto device = transport.Open(SimTransport::kDevicePath);
    auto i2c = [&](std::uint8_t op, std::uint8_t slave, std::uint16_t address,
                   std::vector<std::uint8_t> data,
                   int count) { return Exchange(*device, op, 0, address, data, count, slave); };
    EXPECT_EQ(Status(i2c(p::kOpI2cWrite, 0xA0, 6, {1, 2, 3}, 3)), p::kStatusOk);
    EXPECT_EQ(chip.I2cMemory()[6], 1);
    EXPECT_EQ(chip.I2cMemory()[8], 3);  // written in the next 8-byte page, not wrapped
    EXPECT_EQ(chip.I2cMemory()[0], 0xFF);
    const auto read = i2c(p::kOpI2cRead, 0xA1, 6, {}, 2);
    EXPECT_EQ(Status(read), p::kStatusOk);
    EXPECT_EQ(read[p::kData + 1], 2);
    EXPECT_EQ(Status(i2c(p::kOpI2cWrite, 0x50, 0, {9}, 1)), p::kStatusNack);
    EXPECT_EQ(chip.I2cMemory()[0], 0xFF);
}

TEST(SimTransportTest, PostsDeviceChangeOnPlugAndUnplug)
{
    SimulatedChip chip;
    MessageQueue queue;
    SimTransport transport(chip);
    transport.SetDeviceChangeTarget(&queue, 42);
    chip.Unplug();
    chip.Unplug();  // already out: no second notification
    EXPECT_EQ(transport.Open(SimTransport::kDevicePath), nullptr);
    chip.Plug();
    EXPECT_EQ(transport.Open("sim:1"), nullptr);
    ASSERT_EQ(queue.Size(), 2u);
    EXPECT_EQ(*queue.TryTake(),
              (WindowMessage{42, WM_DEVICECHANGE, SimTransport::kDeviceRemoveComplete, 0}));
    EXPECT_EQ(*queue.TryTake(),
              (WindowMessage{42, WM_DEVICECHANGE, SimTransport::kDeviceArrival, 0}));
    transport.SetDeviceChangeTarget(nullptr, 0);
    chip.Unplug();
    EXPECT_EQ(queue.Size(), 0u);
}

}  // namespace
}  // namespace tovrik
