// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "device/command_protocol.h"
#include "device/device_directory.h"
#include "device/device_library.h"
#include "device/hid_transport.h"
#include "platform/message_queue.h"

namespace tovrik {

// The device library over a HID transport, speaking the command protocol of
// docs/protocol.md. Public methods belong to the user-interface thread; an
// internal reader thread owns every Read of the open device, hands status
// answers to the waiting transfer and posts events as window messages.
class HidDeviceLibrary : public DeviceLibrary, public DeviceDirectory {
public:
    static constexpr std::chrono::milliseconds kDefaultAnswerTimeout{500};
    // Device events are dropped, and counted, while this many window messages
    // wait, so a device that floods events cannot starve the user interface.
    static constexpr std::size_t kDefaultMessageLimit = 1024;

    HidDeviceLibrary(HidTransport& transport, MessageQueue& queue);
    ~HidDeviceLibrary() override;
    HidDeviceLibrary(const HidDeviceLibrary&) = delete;
    HidDeviceLibrary& operator=(const HidDeviceLibrary&) = delete;

    int rmDeviceStart(std::uint16_t vendorId, std::uint16_t productId, WindowHandle window,
                      int reserved, UINT addedMessage, UINT removedMessage) override;
    void rmDeviceClose() override;

    int rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                     std::uint32_t count) override;
    void rmSetEEPROMSize(int mode, int size) override;
    int ReadEepromForBackup(std::uint32_t address, std::uint8_t* buffer,
                            std::uint32_t count) override;

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

    // Sends the event notifications 1126..1132 to `window` instead of the
    // window given to rmDeviceStart; kNoWindow goes back to that one.
    void SetEventWindow(WindowHandle window);
    void SetMessageLimit(std::size_t limit) { messageLimit_ = limit; }
    // How long a command waits for its status answer.
    void SetAnswerTimeout(std::chrono::milliseconds timeout);
    // Called on the user-interface thread during rmDeviceStart for each
    // interface with the ids that the transport could not open, before
    // rmDeviceStart returns; a front end uses it to say why (no permission,
    // say) ahead of the tool's own message. An empty function removes it.
    using OpenFailureHandler = std::function<void(const HidDeviceInfo& info)>;
    void SetOpenFailureHandler(OpenFailureHandler handler);

    // What the main window's device picker and status line ask.
    std::vector<HidDeviceInfo> ListInterfaces() override { return transport_.Enumerate(); }
    void PreferInterface(const std::string& path) override { preferredPath_ = path; }
    std::string OpenFailureReason(const std::string& path) override
    {
        return transport_.OpenFailureMessage(path);
    }
    bool IsSimulated() const override { return transport_.IsSimulated(); }
    void SetProgressHandler(ProgressHandler handler) override
    {
        progressHandler_ = std::move(handler);
    }

    bool IsOpen() const;
    // Input reports the reader threads have taken and finished with (answers
    // handed over, events posted), so a caller can wait until a device is quiet.
    std::uint64_t InputReportsHandled() const { return reportsHandled_; }
    int EepromSize() const { return eepromSize_; }
    // Forgets what this connection knows of the EEPROM's content, for when
    // something other than this library changed it; the next write reads first.
    void ForgetEepromContent() override;
    std::uint8_t I2cSlaveAddress() const { return i2cSlave_; }

private:
    bool OpenFirstDevice(bool reportFailures);
    void CloseDevice();
    void CloseIfLost();
    bool DevicePresent();
    void ReaderLoop(HidDevice& device);
    void HandleAnswer(const std::uint8_t* report, int length);
    void HandleData(const std::uint8_t* report, int length);
    void HandleEvent(const std::uint8_t* report, int length);
    // Reader thread: posts the count of dropped events once there is room.
    void ReportDroppedEvents();
    // Sends one request, then for a write the selected bytes `out` in data
    // reports, and waits for the answer: a read's data (into `in`) or the
    // status. True when the chip carried the transfer out.
    bool Transfer(protocol::Report& request, const std::vector<std::uint8_t>& out,
                  std::vector<std::uint8_t>* in);
    // A whole range in requests of at most kMaxTransfer bytes; writes take
    // their bytes from `source`, reads fill `destination`.
    int RangeTransfer(std::uint8_t opcode, std::uint8_t tag, std::uint8_t slave,
                      std::uint32_t address, const std::uint8_t* source, std::uint8_t* destination,
                      std::uint32_t count);
    // A write of the pages whose bytes change, read back before it counts.
    int WriteChangedPages(std::uint8_t tag, std::uint32_t address, const std::uint8_t* buffer,
                          std::uint32_t count);
    int WritePages(std::uint8_t tag, std::uint32_t address, const std::uint8_t* buffer,
                   std::uint32_t count);
    // Reads into the record whatever of the range this connection has not seen,
    // one read per unseen run, under `tag`.
    int ReadUnseen(std::uint8_t tag, std::uint32_t address, std::uint32_t count);
    void Remember(std::uint32_t address, const std::uint8_t* bytes, std::uint32_t count);
    void Forget(std::uint32_t address, std::uint32_t count);
    void GpioCommand(std::uint8_t opcode, std::uint16_t mask);

    HidTransport& transport_;
    MessageQueue& queue_;

    // User-interface thread only.
    bool started_ = false;
    std::uint16_t vendorId_ = 0;
    std::uint16_t productId_ = 0;
    std::string devicePath_;
    std::unique_ptr<HidDevice> device_;
    std::thread reader_;
    int eepromSize_ = 256;
    std::uint8_t i2cSlave_ = 0;
    std::uint8_t transferTag_ = 0;
    std::uint8_t sequence_ = 0;
    std::chrono::milliseconds answerTimeout_ = kDefaultAnswerTimeout;
    OpenFailureHandler openFailureHandler_;
    std::string preferredPath_;
    ProgressHandler progressHandler_;
    // The EEPROM bytes this connection read or wrote, as far as it knows them.
    std::vector<std::uint8_t> eepromCopy_;
    std::vector<bool> eepromKnown_;

    // Read by the reader thread while the UI thread may change them.
    std::atomic<WindowHandle> window_{kNoWindow};
    std::atomic<WindowHandle> eventWindow_{kNoWindow};
    std::atomic<UINT> removedMessage_{0};
    std::atomic<UINT> mixerKeyDownMessage_{0};
    std::atomic<UINT> mixerKeyUpMessage_{0};
    std::atomic<UINT> genericMessage_{0};
    std::atomic<UINT> i2cMessage_{0};
    std::atomic<UINT> gpiMessage_{0};
    std::atomic<std::uint64_t> reportsHandled_{0};
    std::atomic<std::size_t> messageLimit_{kDefaultMessageLimit};
    std::uint64_t droppedEvents_ = 0;  // reader thread only
    UINT addedMessage_ = 0;

    // Guarded by mutex_: the hand-over between the reader and a waiting command.
    mutable std::mutex mutex_;
    std::condition_variable answered_;
    bool stopping_ = false;
    bool lost_ = false;
    bool removalPosted_ = false;
    bool awaiting_ = false;
    protocol::Report awaitedCommand_{};
    // The reads' data so far, and how the transfer ended.
    std::vector<std::uint8_t> awaitedData_;
    int awaitedDataReports_ = 0;
    int receivedDataReports_ = 0;
    std::optional<std::uint8_t> answerStatus_;
    std::uint64_t progress_ = 0;
};

}  // namespace tovrik
