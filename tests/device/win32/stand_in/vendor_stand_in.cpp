// SPDX-License-Identifier: MIT
// A stand-in for the chip maker's device library, built as a DLL: it exports
// the library's functions as plain integer and pointer functions and posts
// its notifications as real window messages to the window it was given. It
// runs our own library over a simulated chip: its own, or the one a test
// hands it through TovrikStandInAttach. On 32-bit the calling convention of
// the exports is chosen at build time (TOVRIK_STAND_IN_STDCALL).
#include "app/factory_image.h"
#include "device/hid_device_library.h"
#include "device/sim/sim_transport.h"
#include "device/sim/simulated_chip.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>

#if defined(TOVRIK_STAND_IN_STDCALL)
#define STAND_IN_CALL __stdcall
#else
#define STAND_IN_CALL
#endif

namespace {

using namespace tovrik;

class StandIn {
public:
    StandIn() : chip_(FactoryChipOptions()), ownTransport_(chip_)
    {
        queue_.SetWakeFunction([this] { PostQueued(); });
        Use(ownTransport_);
    }

    void Use(HidTransport& transport)
    {
        library_.reset();
        library_ = std::make_unique<HidDeviceLibrary>(transport, queue_);
    }

    HidDeviceLibrary& Library() { return *library_; }

private:
    // The library posts from its reader thread too; the lock keeps the
    // window messages in the order they were posted.
    void PostQueued()
    {
        std::lock_guard lock(postMutex_);
        while (const auto m = queue_.TryTake()) {
            PostMessageW(reinterpret_cast<HWND>(m->window), m->message, m->wParam, m->lParam);
        }
    }

    SimulatedChip chip_;
    SimTransport ownTransport_;
    MessageQueue queue_;
    std::mutex postMutex_;
    std::unique_ptr<HidDeviceLibrary> library_;
};

StandIn& State()
{
    static StandIn state;
    return state;
}

HidDeviceLibrary& Lib()
{
    return State().Library();
}

}  // namespace

extern "C" {

int STAND_IN_CALL rmDeviceStart(int vendorId, int productId, HWND window, int reserved,
                                int addedMessage, int removedMessage)
{
    return Lib().rmDeviceStart(static_cast<std::uint16_t>(vendorId),
                               static_cast<std::uint16_t>(productId),
                               reinterpret_cast<WindowHandle>(window), reserved,
                               static_cast<UINT>(addedMessage), static_cast<UINT>(removedMessage));
}

int STAND_IN_CALL rmDeviceClose()
{
    Lib().rmDeviceClose();
    return 1;
}

int STAND_IN_CALL rmBurnEEPROM(int direction, int address, unsigned char* buffer, int count)
{
    if (address < 0 || count < 0) {
        return 0;
    }
    return Lib().rmBurnEEPROM(direction, static_cast<std::uint32_t>(address), buffer,
                              static_cast<std::uint32_t>(count));
}

int STAND_IN_CALL rmSetEEPROMSize(int mode, int size)
{
    Lib().rmSetEEPROMSize(mode, size);
    return 1;
}

int STAND_IN_CALL rmSetReport(const unsigned char* report, int length)
{
    return Lib().rmSetReport(report, length);
}

int STAND_IN_CALL rmSetI2CDeviceAddress(int slaveAddress)
{
    Lib().rmSetI2CDeviceAddress(static_cast<std::uint8_t>(slaveAddress));
    return 1;
}

int STAND_IN_CALL rmWriteDataIntoI2C(int dataAddress, const unsigned char* buffer, int count)
{
    Lib().rmWriteDataIntoI2C(static_cast<std::uint16_t>(dataAddress), buffer, count);
    return 1;
}

int STAND_IN_CALL rmReadDataFromI2C(int dataAddress, unsigned char* buffer, int count)
{
    return Lib().rmReadDataFromI2C(static_cast<std::uint16_t>(dataAddress), buffer, count);
}

int STAND_IN_CALL rmSetPin2GPO(int directionMask)
{
    Lib().rmSetPin2GPO(static_cast<std::uint16_t>(directionMask));
    return 1;
}

int STAND_IN_CALL rmSetPinGPOLevel(int levelMask)
{
    Lib().rmSetPinGPOLevel(static_cast<std::uint16_t>(levelMask));
    return 1;
}

int STAND_IN_CALL rmHandleDeviceChangeNotification(::WPARAM wParam, ::LPARAM lParam)
{
    Lib().rmHandleDeviceChangeNotification(wParam, lParam);
    return 1;
}

int STAND_IN_CALL rmSetMixerKeyNotifyMessages(int keyDownMessage, int keyUpMessage)
{
    Lib().rmSetMixerKeyNotifyMessages(static_cast<UINT>(keyDownMessage),
                                      static_cast<UINT>(keyUpMessage));
    return 1;
}

int STAND_IN_CALL rmSetGenericNotifyMessages(int message)
{
    Lib().rmSetGenericNotifyMessages(static_cast<UINT>(message));
    return 1;
}

int STAND_IN_CALL rmSetI2CGenericNotifyMessages(int message)
{
    Lib().rmSetI2CGenericNotifyMessages(static_cast<UINT>(message));
    return 1;
}

int STAND_IN_CALL rmSetGPIGenericNotifyMessages(int message)
{
    Lib().rmSetGPIGenericNotifyMessages(static_cast<UINT>(message));
    return 1;
}

// For the tests only: the stand-in's library over the test's simulated chip,
// built by the same compiler from the same sources, and what the test needs
// to know when that chip is quiet.
void TovrikStandInAttach(HidTransport* transport)
{
    State().Use(*transport);
}

int TovrikStandInIsOpen()
{
    return Lib().IsOpen() ? 1 : 0;
}

unsigned long long TovrikStandInInputReportsHandled()
{
    return Lib().InputReportsHandled();
}

void TovrikStandInForgetEepromContent()
{
    Lib().ForgetEepromContent();
}

}  // extern "C"
