// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "device/device_library.h"
#include "device/hid_transport.h"
#include "device/sim/simulated_chip.h"
#include "platform/message_queue.h"
#include "session/chip_choice.h"

namespace tovrik {

class PlatformDevices;

// A view of a transport that lists and opens only the interface at one path
// (every interface while the path is empty), so that the device library and
// the device detection, which both take the first interface with the ids,
// reach exactly the chosen one. Calls into the inner transport are
// serialised through `lock` when given, for transports shared by threads.
class InterfaceView : public HidTransport {
public:
    explicit InterfaceView(HidTransport& inner, std::string path = {}, std::mutex* lock = nullptr);

    void SetPath(std::string path) { path_ = std::move(path); }
    const std::string& Path() const { return path_; }
    HidTransport& Inner() { return inner_; }

    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    std::string OpenFailureMessage(const std::string& path) const override;
    bool IsSimulated() const override { return inner_.IsSimulated(); }

private:
    HidTransport& inner_;
    std::string path_;
    std::mutex* lock_;
};

// The fitted EEPROM size from the chip's information report; 0 when it cannot
// be read.
int ReadFittedEepromSize(HidTransport& transport, const std::string& path);

// The chips a choice reaches: one simulated chip, or the system's interfaces
// through a registered transport.
class ChipAccess {
public:
    // Sets `error` and returns nullptr when the choice cannot be used (a
    // backing file of no EEPROM size, say).
    static std::unique_ptr<ChipAccess> Open(const ChipChoice& choice, std::string& error,
                                            const PlatformDevices& platform);
    static std::unique_ptr<ChipAccess> Open(const ChipChoice& choice, std::string& error);
    // A simulated chip built from `options` (the station's units, say).
    explicit ChipAccess(const SimulatedChipOptions& options);
    // Over a transport made elsewhere.
    explicit ChipAccess(std::unique_ptr<HidTransport> transport);
    ~ChipAccess();
    ChipAccess(const ChipAccess&) = delete;
    ChipAccess& operator=(const ChipAccess&) = delete;

    HidTransport& Transport() { return *transport_; }
    // nullptr unless simulated.
    SimulatedChip* Chip() { return chip_.get(); }

    // The interfaces with the ids, or the one at `path` when it is not empty.
    std::vector<HidDeviceInfo> Matching(std::uint16_t vendorId, std::uint16_t productId,
                                        const std::string& path);

private:
    ChipAccess() = default;

    std::unique_ptr<SimulatedChip> chip_;
    std::unique_ptr<HidTransport> transport_;
};

// Makes the device library of each connection: our own over the
// connection's view of the interfaces, or the chip maker's library.
class DeviceLibrarySource {
public:
    using Maker =
        std::function<std::unique_ptr<DeviceLibrary>(HidTransport& view, MessageQueue& queue)>;
    // Our own library.
    DeviceLibrarySource() = default;
    // A library of functions (a stand-in of the chip maker's in tests).
    explicit DeviceLibrarySource(Maker maker) : maker_(std::move(maker)) {}
    // The chip maker's library at `path`, loaded and checked once here;
    // nullptr with `error` when it cannot be used.
    static std::unique_ptr<DeviceLibrarySource> ForVendorLibrary(const std::string& path,
                                                                 std::string& error,
                                                                 const PlatformDevices& platform);
    static std::unique_ptr<DeviceLibrarySource> For(const ChipChoice& choice, std::string& error);

    bool IsVendorLibrary() const { return !vendorPath_.empty(); }
    // nullptr, with `error`, when the library cannot be loaded again or its
    // notifications cannot reach `queue`.
    std::unique_ptr<DeviceLibrary> Make(HidTransport& view, MessageQueue& queue,
                                        std::string& error);

private:
    Maker maker_;
    std::string vendorPath_;
    const PlatformDevices* platform_ = nullptr;
    std::unique_ptr<DeviceLibrary> checked_;
    std::mutex mutex_;
};

// An open connection to one interface through the device library.
class Connection {
public:
    // Opens `info` (found through `transport`) with the library `source`
    // makes (our own without one); IsOpen() tells whether it worked.
    Connection(HidTransport& transport, const HidDeviceInfo& info, std::mutex* lock = nullptr,
               DeviceLibrarySource* source = nullptr);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool IsOpen() const { return open_; }
    // Why it could not be opened, in words.
    const std::string& OpenError() const { return openError_; }
    DeviceLibrary& Library() { return *library_; }
    HidTransport& Transport() { return view_; }
    MessageQueue& Queue() { return queue_; }
    const HidDeviceInfo& Info() const { return info_; }
    int FittedEepromSize() const { return eepromSize_; }

    // The device code the chip reports; nothing when it cannot be read.
    std::optional<int> DetectDeviceCode();

    // Reads or writes `bytes.size()` bytes at address 0 in one library call.
    bool Read(std::vector<std::uint8_t>& bytes);
    bool Write(const std::vector<std::uint8_t>& bytes);

private:
    HidDeviceInfo info_;
    InterfaceView view_;
    MessageQueue queue_;
    std::unique_ptr<DeviceLibrary> library_;
    bool open_ = false;
    std::string openError_;
    int eepromSize_ = 0;
};

}  // namespace tovrik
