// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/device_library.h"
#include "platform/message_queue.h"

namespace tovrik {

// The device library of the chip's maker, a DLL the user names, behind our
// DeviceLibrary: every rm* call is forwarded with its arguments in the same
// order, and the window messages the DLL posts to our window are passed into
// the tool's message queue like those of our own library. Windows only; the
// header keeps the system's types out so front ends of any layer may hold one.
class VendorDeviceLibrary : public DeviceLibrary {
public:
    // The functions the DLL must export, with the number of their arguments.
    struct Function {
        const char* name;
        int arguments;
    };
    static const std::array<Function, 15> kFunctions;

    // Loads the DLL at `path` and resolves every function. Returns nullptr,
    // with `error` naming the file and what is wrong, when the file cannot be
    // loaded, is built for the other bitness or lacks a function; nothing of
    // the DLL is called then.
    static std::unique_ptr<VendorDeviceLibrary> Load(const std::string& path, std::string& error);

    // Made only by Load.
    struct Token {
    private:
        friend class VendorDeviceLibrary;
        Token() = default;
    };
    explicit VendorDeviceLibrary(Token) {}

    ~VendorDeviceLibrary() override;
    VendorDeviceLibrary(const VendorDeviceLibrary&) = delete;
    VendorDeviceLibrary& operator=(const VendorDeviceLibrary&) = delete;

    // Where the DLL's messages go: into `queue`, addressed to the window given
    // to rmDeviceStart. `nativeWindow` (an HWND) is the front end's main
    // window, which the DLL is given and whose messages are watched; without
    // one a hidden window of our own takes its place (and also passes the
    // system's device-change message on). Must be called on the thread that
    // runs the window messages, before rmDeviceStart.
    int Connect(MessageQueue& queue, void* nativeWindow);

    // Dispatches the window messages waiting for this thread's windows, so
    // that those the DLL posted reach the queue given to Connect.
    static void DeliverWindowMessages();

    // The loaded module (an HMODULE).
    void* Module() const { return module_; }

    int rmDeviceStart(std::uint16_t vendorId, std::uint16_t productId, WindowHandle window,
                      int reserved, UINT addedMessage, UINT removedMessage) override;
    void rmDeviceClose() override;
    int rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                     std::uint32_t count) override;
    // Served from what this connection read or wrote successfully through
    // the DLL where every byte is known; otherwise read through it.
    int ReadEepromForBackup(std::uint32_t address, std::uint8_t* buffer,
                            std::uint32_t count) override;
    void ForgetEepromContent() override;
    void rmSetEEPROMSize(int mode, int size) override;
    int rmSetReport(const std::uint8_t* report, int length) override;
    void rmSetI2CDeviceAddress(std::uint8_t slaveAddress) override;
    void rmWriteDataIntoI2C(std::uint16_t dataAddress, const std::uint8_t* buffer,
                            int count) override;
    int rmReadDataFromI2C(std::uint16_t dataAddress, std::uint8_t* buffer, int count) override;
    void rmSetPin2GPO(std::uint16_t directionMask) override;
    void rmSetPinGPOLevel(std::uint16_t levelMask) override;
    void rmHandleDeviceChangeNotification(WPARAM wParam, LPARAM lParam) override;
    void rmSetMixerKeyNotifyMessages(UINT keyDownMessage, UINT keyUpMessage) override;
    void rmSetGenericNotifyMessages(UINT message) override;
    void rmSetI2CGenericNotifyMessages(UINT message) override;
    void rmSetGPIGenericNotifyMessages(UINT message) override;

    // Called from the window procedure: true when `message` is one the DLL
    // was told to post, after passing it into the queue.
    bool Forward(UINT message, WPARAM wParam, LPARAM lParam, bool deviceChangeToo);

private:
    enum Index {
        kDeviceStart,
        kDeviceClose,
        kBurnEeprom,
        kSetEepromSize,
        kSetReport,
        kSetI2cAddress,
        kWriteI2c,
        kReadI2c,
        kSetPin2Gpo,
        kSetPinLevel,
        kDeviceChange,
        kMixerKeyMessages,
        kGenericMessages,
        kI2cMessages,
        kGpiMessages,
    };

    // One rmBurnEEPROM call of the DLL.
    int BurnThrough(int direction, std::uint32_t address, std::uint8_t* buffer,
                    std::uint32_t count);
    // Remembers `count` bytes at `address` as the EEPROM's content, or forgets
    // them when `buffer` is null.
    void Remember(std::uint32_t address, const std::uint8_t* buffer, std::uint32_t count);

    // Calls function `which` with its arguments as machine words.
    int Call(Index which, std::initializer_list<std::uintptr_t> arguments);
    void Disconnect();

    void* module_ = nullptr;
    std::array<void*, 15> functions_{};
    MessageQueue* queue_ = nullptr;
    void* window_ = nullptr;
    bool ownWindow_ = false;
    bool open_ = false;
    // What this connection knows of the EEPROM: a byte, or -1 when unknown.
    std::vector<int> known_;
    WindowHandle target_ = kNoWindow;
    // The ids the DLL was told to post; 0 is none.
    UINT added_ = 0;
    UINT removed_ = 0;
    UINT mixerKeyDown_ = 0;
    UINT mixerKeyUp_ = 0;
    UINT generic_ = 0;
    UINT i2c_ = 0;
    UINT gpi_ = 0;
};

}  // namespace tovrik
