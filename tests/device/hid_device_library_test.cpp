// SPDX-License-Identifier: MIT
#include "device/hid_device_library.h"

#include <gtest/gtest.h>

#include <thread>

#include <atomic>
#include <numeric>

#include "device/sim/sim_transport.h"
#include "device/sim/simulated_chip.h"
#include "support/chip_options.h"

namespace tovrik {
namespace {

namespace p = protocol;

using namespace std::chrono_literals;

constexpr WindowHandle kMainWindow = 7;
constexpr WindowHandle kPageWindow = 9;

// Hides the chip from enumeration without unplugging it, so only a rescan can
// tell that the device went away.
class HidingTransport : public HidTransport {
public:
    explicit HidingTransport(HidTransport& inner) : inner_(inner) {}
    std::vector<HidDeviceInfo> Enumerate() override
    {
        return hidden ? std::vector<HidDeviceInfo>{} : inner_.Enumerate();
    }
    std::unique_ptr<HidDevice> Open(const std::string& path) override { return inner_.Open(path); }
    std::atomic<bool> hidden{false};

private:
    HidTransport& inner_;
};

struct Rig {
    explicit Rig(SimulatedChipOptions options = {})
        : chip(std::move(options)), transport(chip), hiding(transport), library(hiding, queue)
    {
        library.SetAnswerTimeout(200ms);
        library.rmSetEEPROMSize(1, chip.EepromSize());
    }
    int Start()
    {
        return library.rmDeviceStart(SimulatedChip::kDefaultVendorId,
                                     SimulatedChip::kDefaultProductId, kMainWindow, 0,
                                     DeviceAddedMessage, DeviceRemovedMessage);
    }
    // Runs the UI loop until `message` arrives, handing device changes to the library.
    std::vector<WindowMessage> PumpUntil(UINT message)
    {
        std::vector<WindowMessage> seen;
        while (auto m = queue.Take(2s)) {
            seen.push_back(*m);
            if (m->message == WM_DEVICECHANGE) {
                library.rmHandleDeviceChangeNotification(m->wParam, m->lParam);
            }
            if (m->message == message) {
                break;
            }
        }
        return seen;
    }
    int WriteEeprom(std::uint32_t address, std::vector<std::uint8_t> bytes)
    {
        return library.rmBurnEEPROM(kEepromWrite, address, bytes.data(),
                                    static_cast<std::uint32_t>(bytes.size()));
    }

    SimulatedChip chip;
    SimTransport transport;
    HidingTransport hiding;
    MessageQueue queue;
    HidDeviceLibrary library;
};

int Count(const std::vector<WindowMessage>& messages, UINT id)
{
    return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                          [&](const WindowMessage& m) { return m.message == id; }));
}

TEST(HidDeviceLibraryEeprom, RoundTripsAtEverySize)
{
    for (const int size : {256, 512, 1024, 2048}) {
        SCOPED_TRACE(size);
        Rig rig(Options(size));
        ASSERT_EQ(rig.Start(), 1);
        std::vector<std::uint8_t> image(size);
        for (int i = 0; i < size; ++i) {
            image[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8) + 3);
        }
        ASSERT_EQ(rig.library.rmBurnEEPROM(kEepromWrite, 0, image.data(), size), 1);
        EXPECT_EQ(rig.chip.Eeprom(), image);
        std::vector<std::uint8_t> back(size, 0);
        ASSERT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 0, back.data(), size), 1);
        EXPECT_EQ(back, image);
        // An unaligned run that ends exactly at the last byte.
        std::vector<std::uint8_t> tail(37, 0x5A);
        ASSERT_EQ(rig.WriteEeprom(size - 37, tail), 1);
        ASSERT_EQ(rig.library.rmBurnEEPROM(kEepromRead, size - 40, back.data(), 40), 1);
        EXPECT_EQ(back[2], image[size - 38]);
        EXPECT_EQ(back[3], 0x5A);
        EXPECT_EQ(back[39], 0x5A);
    }
}

TEST(HidDeviceLibraryEeprom, WritesWholePagesOnlyWhereBytesChange)
{
    struct Case {
        int size, address, count, pages;
    };
    // 256: 5..7, 8..15, 16..23, 24; 2048: 10..15, 16..31, 32..47, 48..49.
    for (const Case c : {Case{256, 5, 20, 4}, Case{2048, 10, 40, 4}}) {
        SCOPED_TRACE(c.size);
        Rig rig(Options(c.size));
        rig.library.rmSetEEPROMSize(1, c.size);
        ASSERT_EQ(rig.Start(), 1);
        std::vector<std::uint8_t> data(c.count);
        std::iota(data.begin(), data.end(), 0x40);
        auto before = rig.chip.Traffic();
        ASSERT_EQ(rig.WriteEeprom(c.address, data), 1);
        EXPECT_EQ((rig.chip.Traffic() - before).writeCycles, static_cast<std::uint64_t>(c.pages));
        const auto e = rig.chip.Eeprom();
        EXPECT_EQ(e[c.address - 1], 0xFF);
        EXPECT_EQ(std::vector<std::uint8_t>(e.begin() + c.address, e.begin() + c.address + c.count),
                  data);
        EXPECT_EQ(e[c.address + c.count], 0xFF);

        // Known and unchanged: one request and its confirmation, nothing on the bus.
        before = rig.chip.Traffic();
        ASSERT_EQ(rig.WriteEeprom(c.address, data), 1);
        auto d = rig.chip.Traffic() - before;
        EXPECT_EQ(d.reportsOut + d.reportsIn, 2u);
        EXPECT_EQ(d.i2cBytes + d.writeCycles, 0u);

        // One changed byte: its page only, written then read back.
        data[c.count - 3] ^= 0xFF;
        before = rig.chip.Traffic();
        ASSERT_EQ(rig.WriteEeprom(c.address, data), 1);
        d = rig.chip.Traffic() - before;
        EXPECT_EQ(d.writeCycles, 1u);
        EXPECT_EQ(d.reportsOut, 3u);  // request, data, read-back request
        EXPECT_EQ(d.reportsIn, 2u);   // status, read-back data
        EXPECT_EQ(rig.chip.Eeprom()[c.address + c.count - 3], data[c.count - 3]);
    }
}

TEST(HidDeviceLibraryEeprom, AWriteTheChipDropsFailsTheVerify)
{
    Rig rig;
    ASSERT_EQ(rig.Start(), 1);
    std::vector<std::uint8_t> data(24, 0x33);
    rig.chip.DropEepromWriteCycle(2);
    EXPECT_EQ(rig.WriteEeprom(8, data), 0);
    EXPECT_EQ(rig.chip.Eeprom()[16], 0xFF);
    // What the verify read is known now; writing again fixes the dropped page only.
    const auto before = rig.chip.Traffic();
    EXPECT_EQ(rig.WriteEeprom(8, data), 1);
    EXPECT_EQ((rig.chip.Traffic() - before).writeCycles, 1u);
    EXPECT_EQ(rig.chip.Eeprom()[16], 0x33);
    // Its only changed byte the last one of the range: a dropped page still fails.
    data.back() = 0x34;
    rig.chip.DropEepromWriteCycle(1);
    EXPECT_EQ(rig.WriteEeprom(8, data), 0);
    EXPECT_EQ(rig.chip.Eeprom()[31], 0x33);
}

TEST(HidDeviceLibraryEeprom, AWriteThatTimedOutAfterTheChipWroteLeavesItsBytesUnknown)
{
    Rig rig;
    ASSERT_EQ(rig.Start(), 1);
    const std::vector<std::uint8_t> oldBytes(8, 0x11);
    ASSERT_EQ(rig.WriteEeprom(16, oldBytes), 1);
    rig.library.SetAnswerTimeout(30ms);
    rig.chip.HoldAnswers(true);  // the chip writes; its answer comes too late
    EXPECT_EQ(rig.WriteEeprom(16, std::vector<std::uint8_t>(8, 0x22)), 0);
    rig.chip.HoldAnswers(false);
    ASSERT_EQ(rig.chip.Eeprom()[16], 0x22);
    // Writing the old bytes back is no "unchanged" write: it reaches the chip.
    rig.library.SetAnswerTimeout(2s);
    EXPECT_EQ(rig.WriteEeprom(16, oldBytes), 1);
    EXPECT_EQ(rig.chip.Eeprom()[16], 0x11);
}

TEST(HidDeviceLibraryEeprom, AReadWhoseDataCarriesAFailureStatusFails)
{
    Rig rig(Options(256, std::vector<std::uint8_t>(256, 0x42)));
    ASSERT_EQ(rig.Start(), 1);
    std::vector<std::uint8_t> buffer(40, 0);
    // The first two data reports say done, the last one a device error.
    rig.chip.FailNextReadData(p::kStatusDeviceError);
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 0, buffer.data(), 40), 0);
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(40, 0));
    ASSERT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 0, buffer.data(), 40), 1);
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(40, 0x42));
}

// A 256-byte image whose first bytes look like a header, different for each seed.
std::vector<std::uint8_t> HeadedImage(int seed)
{
    std::vector<std::uint8_t> image(256);
    for (int i = 0; i < 256; ++i) {
        image[i] = static_cast<std::uint8_t>(i * seed + 1);
    }
    image[0] = 'T';
    image[1] = 'K';
    return image;
}

TEST(HidDeviceLibraryEeprom, AnImageFromAddressZeroCutOffAtAnyPageLeavesOldNewOrEmpty)
{
    const auto oldImage = HeadedImage(3);
    const auto newImage = HeadedImage(5);
    int empties = 0;
    for (int cycle = 1;; ++cycle) {
        SCOPED_TRACE(cycle);
        Rig rig(Options(256, oldImage));
        ASSERT_EQ(rig.Start(), 1);
        // The write cycle that the chip drops ends the call at its read-back.
        rig.chip.DropEepromWriteCycle(cycle);
        const int result = rig.WriteEeprom(0, newImage);
        const auto e = rig.chip.Eeprom();
        if (result == 1) {
            EXPECT_EQ(e, newImage);
            break;
        }
        EXPECT_TRUE(e == oldImage || e[0] == 0xFF) << "torn at write cycle " << cycle;
        empties += e[0] == 0xFF ? 1 : 0;
        ASSERT_LT(cycle, 100);
    }
    // Every page but the first went through a cut-off with byte 0 erased.
    EXPECT_GE(empties, 31);
}

TEST(HidDeviceLibraryEeprom, AnImageFromAddressZeroStaysOneTransfer)
{
    Rig rig(Options(256, HeadedImage(3)));
    ASSERT_EQ(rig.Start(), 1);
    // Fault injection counts calls by their tag: the whole image is the first
    // transfer, so the second one is the next call.
    rig.chip.FailEepromTransfer(2);
    EXPECT_EQ(rig.WriteEeprom(0, HeadedImage(5)), 1);
    EXPECT_EQ(rig.chip.Eeprom(), HeadedImage(5));
    std::uint8_t byte = 0;
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 0, &byte, 1), 0);
}

TEST(HidDeviceLibraryEeprom, ALongWriteInRealTimeOutlastsTheAnswerTimeOutAndReportsProgress)
{
    Rig rig;
    ASSERT_EQ(rig.Start(), 1);
    // 32 pages of the slowest write cycle: longer than the answer time-out, in silence.
    rig.chip.SetRealTiming(true);
    rig.chip.SetWriteCycleUs(10000);
    rig.library.SetAnswerTimeout(std::chrono::milliseconds(200));
    int ticks = 0;
    rig.library.SetProgressHandler([&](std::uint32_t, std::uint32_t) { ++ticks; });
    EXPECT_EQ(rig.WriteEeprom(0, std::vector<std::uint8_t>(256, 0x44)), 1);
    EXPECT_EQ(rig.chip.Eeprom()[255], 0x44);
    EXPECT_GT(ticks, 5);
}

TEST(HidDeviceLibraryEeprom, AnAnswerShorterThanItsDataFailsTheRead)
{
    Rig rig(Options(256, std::vector<std::uint8_t>(256, 0x42)));
    ASSERT_EQ(rig.Start(), 1);
    std::vector<std::uint8_t> buffer(16, 0);
    rig.chip.CutNextInputReport(p::kData + 8);  // announces 16 bytes, carries 8
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 0, buffer.data(), 16), 0);
    ASSERT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 0, buffer.data(), 16), 1);
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(16, 0x42));
    rig.library.SetAnswerTimeout(50ms);
    rig.chip.CutNextInputReport(p::kAnswerStatus);  // a status without its status byte
    EXPECT_EQ(rig.WriteEeprom(0, {1}), 0);
}

TEST(HidDeviceLibraryEeprom, AWriteToASmallerPartThanBelievedStaysInsideItsPages)
{
    // The library takes 16-byte pages; the fitted part has 8-byte ones.
    Rig rig(Options(256));
    rig.library.rmSetEEPROMSize(1, 512);
    ASSERT_EQ(rig.Start(), 1);
    std::vector<std::uint8_t> data(16);
    std::iota(data.begin(), data.end(), 1);
    ASSERT_EQ(rig.WriteEeprom(4, data), 1);
    const auto e = rig.chip.Eeprom();
    EXPECT_EQ(std::vector<std::uint8_t>(e.begin() + 4, e.begin() + 20), data);
    EXPECT_EQ(e[3], 0xFF);
    EXPECT_EQ(e[20], 0xFF);
}

TEST(HidDeviceLibraryEeprom, RefusesRangesBeyondTheSizeWithoutTraffic)
{
    Rig rig;
    std::vector<std::uint8_t> buffer(300, 0x11);
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 0, buffer.data(), 1), 0);  // not open
    ASSERT_EQ(rig.Start(), 1);
    const auto counters = [&] {
        const auto c = rig.chip.GetCounters();
        return c.eepromReadCommands + c.eepromWriteCommands;
    };
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromWrite, 250, buffer.data(), 7), 0);
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 256, buffer.data(), 1), 0);
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromWrite, 0, buffer.data(), 257), 0);
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromWrite, 1, buffer.data(), 0xFFFFFFFF), 0);
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromWrite, 0, nullptr, 4), 0);
    EXPECT_EQ(rig.library.rmBurnEEPROM(2, 0, buffer.data(), 4), 0);
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 256, nullptr, 0), 1);
    EXPECT_EQ(counters(), 0);
    EXPECT_EQ(rig.chip.Eeprom(), std::vector<std::uint8_t>(256, 0xFF));

    // Sizes other than the four parts are ignored.
    rig.library.rmSetEEPROMSize(1, 300);
    EXPECT_EQ(rig.library.EepromSize(), 256);
    // A size larger than the fitted part passes the library, and the chip refuses it.
    rig.library.rmSetEEPROMSize(1, 512);
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromWrite, 254, buffer.data(), 4), 0);
    EXPECT_EQ(rig.chip.Eeprom()[0], 0xFF);
}

TEST(HidDeviceLibraryEeprom, InjectedFaultFailsOnlyTheNthCall)
{
    Rig rig;
    ASSERT_EQ(rig.Start(), 1);
    rig.chip.FailEepromTransfer(2);
    std::vector<std::uint8_t> data(24, 0x33);
    EXPECT_EQ(rig.WriteEeprom(0, data), 1);
    const auto commands = [&] {
        const auto c = rig.chip.GetCounters();
        return c.eepromReadCommands + c.eepromWriteCommands;
    };
    const int before = commands();
    EXPECT_EQ(rig.WriteEeprom(32, data), 0);
    EXPECT_EQ(commands() - before, 1);  // stopped at once
    EXPECT_EQ(rig.chip.Eeprom()[32], 0xFF);
    EXPECT_EQ(rig.WriteEeprom(32, data), 1);

    rig.chip.FailEepromTransfer(1);
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 0, data.data(), 24), 0);
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 0, data.data(), 24), 1);
}

TEST(HidDeviceLibraryEeprom, MissingAnswerTimesOutAndALateOneIsNotTakenForTheNext)
{
    Rig rig;
    ASSERT_EQ(rig.Start(), 1);
    rig.library.SetAnswerTimeout(30ms);
    std::vector<std::uint8_t> buffer(8, 0);
    rig.chip.HoldAnswers(true);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 0, buffer.data(), 8), 0);
    // The time-out set, not the default, ends the wait (bound generous for a loaded machine).
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 30ms);
    EXPECT_LT(waited, HidDeviceLibrary::kDefaultAnswerTimeout / 2);

    rig.chip.SetEeprom({1, 2, 3, 4, 5, 6, 7, 8});
    rig.chip.HoldAnswers(false);  // the answer with the old bytes arrives now
    rig.library.SetAnswerTimeout(500ms);
    ASSERT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 0, buffer.data(), 8), 1);
    EXPECT_EQ(buffer, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));

    // I2C commands carry no transfer tag; a late answer to an identical read
    // must still not stand in for the current one.
    rig.library.rmSetI2CDeviceAddress(0xA0);
    std::vector<std::uint8_t> oldBytes = {1, 2, 3, 4}, newBytes = {5, 6, 7, 8};
    rig.library.rmWriteDataIntoI2C(0, oldBytes.data(), 4);
    rig.library.SetAnswerTimeout(30ms);
    rig.chip.HoldAnswers(true);
    EXPECT_EQ(rig.library.rmReadDataFromI2C(0, buffer.data(), 4), 0);
    rig.library.rmWriteDataIntoI2C(0, newBytes.data(), 4);
    rig.library.SetAnswerTimeout(500ms);
    rig.chip.HoldAnswers(false);
    ASSERT_EQ(rig.library.rmReadDataFromI2C(0, buffer.data(), 4), 1);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 4), newBytes);
}

TEST(HidDeviceLibraryReports, RegisterWritesAndDeviceCodeThroughTheTransport)
{
    Rig rig(Options(256, {}, 0x1F));
    ASSERT_EQ(rig.Start(), 1);
    const std::uint8_t unlock[8] = {1, 0, 0, 0, 0, 0xFF, 1, 0x51};
    std::uint8_t info[17] = {1};
    auto detect = rig.transport.Open(rig.transport.Enumerate().at(0).path);
    ASSERT_EQ(detect->GetInputReport(info, 17), 17);
    EXPECT_EQ(info[7], 0);
    EXPECT_EQ(rig.library.rmSetReport(unlock, 8), 1);
    ASSERT_EQ(detect->GetInputReport(info, 17), 17);
    EXPECT_EQ(info[7], 0x1F);
    EXPECT_EQ(rig.chip.Register(0xFF), 0x51);

    EXPECT_EQ(rig.library.rmSetReport(unlock, 0), 0);
    EXPECT_EQ(rig.library.rmSetReport(unlock, p::kReportLength + 1), 0);
    EXPECT_EQ(rig.library.rmSetReport(nullptr, 8), 0);
    // The detection handle closing leaves the library's handle working.
    detect.reset();
    std::uint8_t byte = 0;
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 0, &byte, 1), 1);
}

TEST(HidDeviceLibraryEvents, BecomePostedMessagesWithPackedBytes)
{
    Rig rig;
    ASSERT_EQ(rig.Start(), 1);
    rig.library.rmSetMixerKeyNotifyMessages(MixerKeyDownMessage, MixerKeyUpMessage);
    rig.library.rmSetGPIGenericNotifyMessages(GPIGenericNotifyMessage);
    rig.library.rmSetGenericNotifyMessages(GenericNotifyMessage);
    rig.library.rmSetI2CGenericNotifyMessages(I2CGenericNotifyMessage);

    rig.chip.PressKeyShort(0x05);
    rig.chip.PressKeyLong(0x06);
    rig.chip.MixerKeyDown(0x1F);
    rig.chip.MixerKeyUp(0x1F);
    rig.chip.GpiEvent({1, 2, 3, 4});
    rig.chip.GenericEvent({1, 2, 3, 4, 0xFF, 0xFF, 0xFF, 0xFF});
    rig.chip.I2cEvent({0xA0, 0, 0, 0x80, 9, 0, 0, 0});
    const std::vector<WindowMessage> expected = {
        {kMainWindow, KeyShortDownMessage, 0x05, 0},
        {kMainWindow, KeyLongDownMessage, 0x06, 0},
        {kMainWindow, MixerKeyDownMessage, 0x1F, 0},
        {kMainWindow, MixerKeyUpMessage, 0x1F, 0},
        {kMainWindow, GPIGenericNotifyMessage, 0x04030201, 0},
        {kMainWindow, GenericNotifyMessage, 0x04030201, static_cast<LPARAM>(0xFFFFFFFFu)},
        {kMainWindow, I2CGenericNotifyMessage, 0x800000A0, 9},
    };
    for (const auto& want : expected) {
        const auto got = rig.queue.Take(2s);
        ASSERT_TRUE(got);
        EXPECT_EQ(*got, want);
    }

    // Id 0 turns a notification off; another window can take the events.
    rig.library.rmSetMixerKeyNotifyMessages(0, 0);
    rig.library.rmSetGenericNotifyMessages(0);
    rig.library.SetEventWindow(kPageWindow);
    rig.chip.MixerKeyDown(1);
    rig.chip.GenericEvent({});
    rig.chip.GpiEvent({9, 0, 0, 0});
    const auto got = rig.queue.Take(2s);
    ASSERT_TRUE(got);
    EXPECT_EQ(*got, (WindowMessage{kPageWindow, GPIGenericNotifyMessage, 9, 0}));
}

TEST(HidDeviceLibraryEvents, AFloodPastTheLimitIsDroppedAndCountedInOneMessage)
{
    Rig rig;
    ASSERT_EQ(rig.Start(), 1);
    rig.library.rmSetGenericNotifyMessages(GenericNotifyMessage);
    rig.library.SetMessageLimit(10);
    for (std::uint8_t i = 0; i < 30; ++i) {
        ASSERT_TRUE(rig.chip.GenericEvent({i, 0, 0, 0, 0, 0, 0, 0}));
    }
    // Nobody takes messages meanwhile: ten wait, twenty are dropped.
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (rig.library.InputReportsHandled() < 30 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(rig.queue.Size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(rig.queue.TryTake()->wParam, static_cast<WPARAM>(i));
    }
    // Once there is room again, the count arrives as one message.
    const auto dropped = rig.queue.Take(2s);
    ASSERT_TRUE(dropped);
    EXPECT_EQ(dropped->message, EventsDroppedMessage);
    EXPECT_EQ(dropped->wParam, 20u);
    EXPECT_FALSE(rig.queue.Take(50ms));
}

TEST(HidDeviceLibraryEvents, RegisterDumpRequestAnswersWithAGenericEvent)
{
    Rig rig;
    ASSERT_EQ(rig.Start(), 1);
    rig.library.rmSetGenericNotifyMessages(GenericNotifyMessage);
    for (const auto& [reg, value] :
         {std::pair{0x20, 0xAA}, {0x21, 0xBB}, {0xFF, 0x20}, {0x96, 1}}) {
        const std::uint8_t report[8] = {
            1, 0, 0, 0, 0, static_cast<std::uint8_t>(reg), 1, static_cast<std::uint8_t>(value)};
        ASSERT_EQ(rig.library.rmSetReport(report, 8), 1);
    }
    const auto got = rig.queue.Take(2s);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->message, GenericNotifyMessage);
    EXPECT_EQ(got->wParam, 0x00BBAA20u);
}

TEST(HidDeviceLibraryConnection, UnplugAnnouncesRemovalOnceAndReplugReopens)
{
    Rig rig;
    rig.transport.SetDeviceChangeTarget(&rig.queue, kMainWindow);
    ASSERT_EQ(rig.Start(), 1);
    rig.chip.Unplug();
    auto seen = rig.PumpUntil(DeviceRemovedMessage);
    std::uint8_t byte = 0;
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 0, &byte, 1), 0);
    EXPECT_FALSE(rig.library.IsOpen());

    rig.chip.Plug();
    auto more = rig.PumpUntil(DeviceAddedMessage);
    seen.insert(seen.end(), more.begin(), more.end());
    EXPECT_EQ(Count(seen, DeviceRemovedMessage), 1);
    EXPECT_EQ(Count(seen, DeviceAddedMessage), 1);
    EXPECT_TRUE(rig.library.IsOpen());
    EXPECT_EQ(rig.WriteEeprom(3, {0x77}), 1);
    EXPECT_EQ(rig.chip.Eeprom()[3], 0x77);
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 3, &byte, 1), 1);
    EXPECT_EQ(byte, 0x77);

    // No further removal or addition is announced while nothing changes.
    rig.library.rmHandleDeviceChangeNotification(0, 0);
    EXPECT_EQ(rig.queue.Size(), 0u);
}

TEST(HidDeviceLibraryConnection, RescanNoticesADeviceThatVanishedFromTheList)
{
    Rig rig;
    ASSERT_EQ(rig.Start(), 1);
    rig.hiding.hidden = true;
    rig.library.rmHandleDeviceChangeNotification(0, 0);
    rig.library.rmHandleDeviceChangeNotification(0, 0);
    EXPECT_FALSE(rig.library.IsOpen());
    rig.hiding.hidden = false;
    rig.library.rmHandleDeviceChangeNotification(0, 0);
    EXPECT_TRUE(rig.library.IsOpen());
    EXPECT_EQ(rig.queue.Size(), 2u);
    EXPECT_EQ(rig.queue.TryTake()->message, DeviceRemovedMessage);
    EXPECT_EQ(*rig.queue.TryTake(), (WindowMessage{kMainWindow, DeviceAddedMessage, 0, 0}));
}

TEST(HidDeviceLibraryConnection, StartAndCloseRules)
{
    Rig rig;
    rig.library.rmDeviceClose();  // without a start
    EXPECT_EQ(rig.library.rmDeviceStart(0x1234, 0x5678, kMainWindow, 0, DeviceAddedMessage,
                                        DeviceRemovedMessage),
              0);
    rig.library.rmHandleDeviceChangeNotification(0, 0);  // a failed start is not remembered
    EXPECT_FALSE(rig.library.IsOpen());

    ASSERT_EQ(rig.Start(), 1);
    rig.library.rmDeviceClose();
    rig.library.rmDeviceClose();
    std::uint8_t byte = 0;
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 0, &byte, 1), 0);
    rig.library.rmHandleDeviceChangeNotification(0, 0);  // a closed library stays closed
    EXPECT_FALSE(rig.library.IsOpen());
    rig.chip.Unplug();  // and announces nothing
    EXPECT_EQ(rig.queue.Take(50ms), std::nullopt);
    rig.chip.Plug();
    ASSERT_EQ(rig.Start(), 1);
    EXPECT_EQ(rig.library.rmBurnEEPROM(kEepromRead, 0, &byte, 1), 1);
}

TEST(HidDeviceLibraryI2c, MemoryRoundTripAndNack)
{
    Rig rig;
    ASSERT_EQ(rig.Start(), 1);
    rig.library.rmSetI2CDeviceAddress(0xA0);
    std::vector<std::uint8_t> data(21);
    std::iota(data.begin(), data.end(), 1);
    rig.library.rmWriteDataIntoI2C(0x05, data.data(), 21);
    const auto memory = rig.chip.I2cMemory();
    EXPECT_EQ(std::vector<std::uint8_t>(memory.begin() + 5, memory.begin() + 26), data);
    EXPECT_EQ(memory[4], 0xFF);
    EXPECT_EQ(memory[26], 0xFF);
    std::vector<std::uint8_t> back(21, 0);
    ASSERT_EQ(rig.library.rmReadDataFromI2C(0x05, back.data(), 21), 1);
    EXPECT_EQ(back, data);
    EXPECT_EQ(rig.library.rmReadDataFromI2C(0xFC, back.data(), 8), 0);  // past the memory

    rig.library.rmSetI2CDeviceAddress(0x50);
    EXPECT_EQ(rig.library.rmReadDataFromI2C(0x05, back.data(), 4), 0);
    rig.library.rmWriteDataIntoI2C(0x00, data.data(), 4);
    EXPECT_EQ(rig.chip.I2cMemory(), memory);
}

TEST(HidDeviceLibraryI2c, ALateRefusalIsNotTakenForTheNextIdenticalRead)
{
    Rig rig;
    ASSERT_EQ(rig.Start(), 1);
    std::vector<std::uint8_t> buffer(4, 0);
    rig.library.SetAnswerTimeout(30ms);
    rig.chip.HoldAnswers(true);
    rig.library.rmSetI2CDeviceAddress(0x50);  // nobody acknowledges it
    EXPECT_EQ(rig.library.rmReadDataFromI2C(0, buffer.data(), 4), 0);

    // The same read from the memory that is there: the kept refusal arrives
    // just ahead of its data, the same in all but the sequence number.
    const int sent = rig.chip.GetCounters().i2cCommands + 1;
    std::thread release([&] {
        const auto giveUp = std::chrono::steady_clock::now() + 10s;
        while (rig.chip.GetCounters().i2cCommands < sent &&
               std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(1ms);
        }
        rig.chip.HoldAnswers(false);
    });
    rig.library.SetAnswerTimeout(5s);
    rig.library.rmSetI2CDeviceAddress(0xA0);
    const int result = rig.library.rmReadDataFromI2C(0, buffer.data(), 4);
    release.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(4, 0xFF));
}

TEST(HidDeviceLibraryI2c, RangesMayEndAtTheTopOfTheAddressSpaceButNotPastIt)
{
    Rig rig;
    ASSERT_EQ(rig.Start(), 1);
    rig.library.rmSetI2CDeviceAddress(0xA0);
    std::vector<std::uint8_t> buffer(17, 0);
    const auto commands = [&] { return rig.chip.GetCounters().i2cCommands; };

    // Ending at 0xffff is sent (the chip's memory has nothing there and says so).
    int before = commands();
    rig.library.rmReadDataFromI2C(0xFFF0, buffer.data(), 16);
    EXPECT_GT(commands(), before);
    before = commands();
    rig.library.rmWriteDataIntoI2C(0xFFF0, buffer.data(), 16);
    EXPECT_GT(commands(), before);

    // One byte further is refused without traffic.
    before = commands();
    EXPECT_EQ(rig.library.rmReadDataFromI2C(0xFFF0, buffer.data(), 17), 0);
    rig.library.rmWriteDataIntoI2C(0xFFF1, buffer.data(), 16);
    EXPECT_EQ(commands(), before);
}

TEST(HidDeviceLibraryGpio, SetsDirectionAndLevelMasks)
{
    Rig rig;
    ASSERT_EQ(rig.Start(), 1);
    rig.library.rmSetPin2GPO(0x00FF);
    rig.library.rmSetPinGPOLevel(0x800F);
    EXPECT_EQ(rig.chip.GpioDirection(), 0x00FF);
    EXPECT_EQ(rig.chip.GpioLevel(), 0x800F);
    EXPECT_EQ(rig.chip.GetCounters().gpioCommands, 2);
}

}  // namespace
}  // namespace tovrik
