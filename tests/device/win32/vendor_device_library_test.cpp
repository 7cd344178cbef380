// SPDX-License-Identifier: MIT
#include "device/win32/stand_in_library.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/factory_image.h"
#include "device/sim/sim_transport.h"
#include "device/sim/simulated_chip.h"

namespace tovrik {
namespace {

const std::string kDir = TOVRIK_STAND_IN_DIR;

using test::LoadStandIn;
using test::StandIn;

std::string Refusal(const std::string& path)
{
    std::string error;
    EXPECT_EQ(VendorDeviceLibrary::Load(path, error), nullptr);
    return error;
}

BOOL CALLBACK TakeMessageWindow(HWND window, ::LPARAM result)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wstring(name) != L"TovrikVendorLibraryMessages") {
        return TRUE;
    }
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

// The adapter's hidden window on this thread; other test programs running at
// the same time have windows of that class too.
HWND OwnMessageWindow()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), TakeMessageWindow, reinterpret_cast<::LPARAM>(&found));
    return found;
}

void PumpWindowMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
}

TEST(VendorDeviceLibrary, RefusesWhatItCannotUseNamingTheFileAndTheReason)
{
    const std::string missing = kDir + "/no-such-library.dll";
    EXPECT_EQ(Refusal(missing), "device library " + missing + " does not exist");

    const std::string text = kDir + "/not-a-library.dll";
    std::ofstream(text) << "MZ but nothing more";
    EXPECT_EQ(Refusal(text), "device library " + text + " is not a Windows DLL");

    const std::string incomplete = StandIn("tovrik_stand_in_incomplete");
    EXPECT_EQ(Refusal(incomplete), "device library " + incomplete + " lacks rmSetPinGPOLevel");

    // The other bitness: the stand-in with the machine of its header changed.
    std::ifstream in(StandIn("tovrik_stand_in"), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GT(bytes.size(), 0x40u);
    const std::uint32_t pe = static_cast<std::uint8_t>(bytes[0x3C]) |
                             static_cast<std::uint8_t>(bytes[0x3D]) << 8;
    ASSERT_LT(pe + 6, bytes.size());
    const bool own64 = sizeof(void*) == 8;
    bytes[pe + 4] = static_cast<char>(own64 ? 0x4C : 0x64);
    bytes[pe + 5] = static_cast<char>(own64 ? 0x01 : 0x86);
    const std::string other = kDir + "/other-bitness.dll";
    std::ofstream(other, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
    EXPECT_EQ(Refusal(other), "device library " + other + " is " +
                                  (own64 ? "a 32-bit DLL and this program is 64-bit"
                                         : "a 64-bit DLL and this program is 32-bit") +
                                  "; use the tool's build of the DLL's bitness");
}

// Every export style this bitness has: the calls arrive with their arguments
// in order, results come back, and the messages the DLL posts to our window
// reach the queue, addressed to the tool's window, when it was told to post them.
class StandInStyles : public ::testing::TestWithParam<const char*> {};

TEST_P(StandInStyles, ForwardsCallsAndPassesRegisteredMessagesIntoTheQueue)
{
    SimulatedChip chip(FactoryChipOptions());
    SimTransport transport(chip);
    auto library = LoadStandIn(GetParam(), transport);
    ASSERT_NE(library, nullptr);
    MessageQueue queue;
    // Nothing reaches the DLL before there is a window for its messages.
    EXPECT_EQ(library->rmDeviceStart(0x1209, 1, 77, 0, DeviceAddedMessage, DeviceRemovedMessage),
              0);
    ASSERT_EQ(library->Connect(queue, nullptr), 1);

    const auto info = chip.Enumeration();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(library->rmDeviceStart(info->productId, info->vendorId, 77, 0, DeviceAddedMessage,
                                     DeviceRemovedMessage),
              0);
    ASSERT_EQ(library->rmDeviceStart(info->vendorId, info->productId, 77, 0, DeviceAddedMessage,
                                     DeviceRemovedMessage),
              1);
    const std::vector<std::uint8_t> factory = FactoryEepromImage();
    std::uint8_t part[8] = {};
    ASSERT_EQ(library->rmBurnEEPROM(kEepromRead, 16, part, sizeof part), 1);
    EXPECT_EQ(std::vector<std::uint8_t>(part, part + 8),
              std::vector<std::uint8_t>(factory.begin() + 16, factory.begin() + 24));
    // Beyond the fitted 256 bytes the transfer fails, and says so.
    EXPECT_EQ(library->rmBurnEEPROM(kEepromRead, 252, part, sizeof part), 0);

    const auto wait = [&] {
        for (int i = 0; i < 200 && queue.Size() == 0; ++i) {
            PumpWindowMessages();
            Sleep(5);
        }
        return queue.TryTake();
    };
    // An id the library was not told to use is not passed on; a registered one is.
    HWND own = OwnMessageWindow();
    PostMessageW(own, GenericNotifyMessage, 1, 2);
    EXPECT_EQ(wait(), std::nullopt);
    library->rmSetGenericNotifyMessages(GenericNotifyMessage);
    ASSERT_TRUE(chip.GenericEvent({1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(wait(), (WindowMessage{77, GenericNotifyMessage, 0x04030201, 0x08070605}));

    chip.Unplug();
    library->rmHandleDeviceChangeNotification(0x8004, 0);
    EXPECT_EQ(wait(), (WindowMessage{77, DeviceRemovedMessage, 0, 0}));
    chip.Plug();
    library->rmHandleDeviceChangeNotification(0x8000, 0);
    EXPECT_EQ(wait(), (WindowMessage{77, DeviceAddedMessage, 0, 0}));
    // The system's device-change message reaching our own window goes to the tool.
    PostMessageW(own, WM_DEVICECHANGE, 7, 0);
    EXPECT_EQ(wait(), (WindowMessage{77, WM_DEVICECHANGE, 7, 0}));

    // The front end's main window in its place: the library's messages are
    // taken from it, the system's device change is left to the window itself.
    HWND main = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_EQ(library->Connect(queue, main), 1);
    EXPECT_EQ(OwnMessageWindow(), nullptr);
    ASSERT_EQ(library->rmDeviceStart(info->vendorId, info->productId, 77, 0, DeviceAddedMessage,
                                     DeviceRemovedMessage),
              1);
    PostMessageW(main, WM_DEVICECHANGE, 7, 0);
    EXPECT_EQ(wait(), std::nullopt);
    ASSERT_TRUE(chip.GenericEvent({9, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(wait(), (WindowMessage{77, GenericNotifyMessage, 9, 0}));
    library->rmDeviceClose();
    DestroyWindow(main);
}

// An image from address 0 reaches the DLL in three calls, byte 0 erased
// first and the first page last: a failure of the second leaves the EEPROM
// reading as empty rather than the old header over part of the new content.
TEST(VendorDeviceLibrary, AnImageFromAddressZeroKeepsItsFirstPageForLast)
{
    SimulatedChip chip(FactoryChipOptions());
    SimTransport transport(chip);
    auto library = LoadStandIn("tovrik_stand_in", transport);
    ASSERT_NE(library, nullptr);
    MessageQueue queue;
    ASSERT_EQ(library->Connect(queue, nullptr), 1);
    const auto info = chip.Enumeration();
    ASSERT_TRUE(info.has_value());
    ASSERT_EQ(library->rmDeviceStart(info->vendorId, info->productId, 77, 0, DeviceAddedMessage,
                                     DeviceRemovedMessage),
              1);
    const std::vector<std::uint8_t> old = chip.Eeprom();
    std::vector<std::uint8_t> image(256, 0x3C);
    image[0] = old[0];
    chip.FailEepromTransfer(2);
    EXPECT_EQ(library->rmBurnEEPROM(kEepromWrite, 0, image.data(), 256), 0);
    auto e = chip.Eeprom();
    EXPECT_EQ(e[0], 0xFF);
    EXPECT_EQ(std::vector<std::uint8_t>(e.begin() + 1, e.end()),
              std::vector<std::uint8_t>(old.begin() + 1, old.end()));

    EXPECT_EQ(library->rmBurnEEPROM(kEepromWrite, 0, image.data(), 256), 1);
    EXPECT_EQ(chip.Eeprom(), image);
}

// A backup reads through the DLL only what this connection has not read or
// written successfully; a failed write, a forget and a new start unlearn.
TEST(VendorDeviceLibrary, BackupReadsOnlyWhatTheConnectionDoesNotKnow)
{
    SimulatedChip chip(FactoryChipOptions());
    SimTransport transport(chip);
    auto library = LoadStandIn("tovrik_stand_in", transport);
    ASSERT_NE(library, nullptr);
    MessageQueue queue;
    ASSERT_EQ(library->Connect(queue, nullptr), 1);
    const auto info = chip.Enumeration();
    ASSERT_TRUE(info.has_value());
    ASSERT_EQ(library->rmDeviceStart(info->vendorId, info->productId, 77, 0, DeviceAddedMessage,
                                     DeviceRemovedMessage),
              1);
    std::vector<std::uint8_t> bytes(8, 0x5A);
    ASSERT_EQ(library->rmBurnEEPROM(kEepromWrite, 8, bytes.data(), 8), 1);
    std::uint8_t head[8] = {};
    ASSERT_EQ(library->rmBurnEEPROM(kEepromRead, 0, head, 8), 1);

    // Changed behind the connection's back: the known bytes come from memory,
    // the unknown ones from the chip.
    std::vector<std::uint8_t> eeprom = chip.Eeprom();
    std::fill(eeprom.begin(), eeprom.begin() + 24, 0x11);
    ASSERT_TRUE(chip.SetEeprom(eeprom));
    std::vector<std::uint8_t> backup(24);
    ASSERT_EQ(library->ReadEepromForBackup(0, backup.data(), 24), 1);
    EXPECT_EQ(std::vector<std::uint8_t>(backup.begin(), backup.begin() + 8),
              std::vector<std::uint8_t>(head, head + 8));
    EXPECT_EQ(std::vector<std::uint8_t>(backup.begin() + 8, backup.begin() + 16), bytes);
    EXPECT_EQ(std::vector<std::uint8_t>(backup.begin() + 16, backup.end()),
              std::vector<std::uint8_t>(8, 0x11));

    chip.FailEepromTransfer(1);
    EXPECT_EQ(library->rmBurnEEPROM(kEepromWrite, 8, bytes.data(), 8), 0);
    ASSERT_EQ(library->ReadEepromForBackup(8, backup.data(), 8), 1);
    EXPECT_EQ(std::vector<std::uint8_t>(backup.begin(), backup.begin() + 8),
              std::vector<std::uint8_t>(8, 0x11));
    library->ForgetEepromContent();
    ASSERT_EQ(library->ReadEepromForBackup(0, backup.data(), 8), 1);
    EXPECT_EQ(std::vector<std::uint8_t>(backup.begin(), backup.begin() + 8),
              std::vector<std::uint8_t>(8, 0x11));
    library->rmDeviceClose();
}

#if defined(__i386__)
INSTANTIATE_TEST_SUITE_P(Exports, StandInStyles,
                         ::testing::Values("tovrik_stand_in", "tovrik_stand_in_stdcall",
                                           "tovrik_stand_in_stdcall_plain"));
#else
INSTANTIATE_TEST_SUITE_P(Exports, StandInStyles, ::testing::Values("tovrik_stand_in"));
#endif

}  // namespace
}  // namespace tovrik
