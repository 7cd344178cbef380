// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "device/hid_device_library.h"
#include "device/hid_transport.h"
#include "device/sim/simulated_chip.h"
#include "platform/message_queue.h"

namespace CLI {
class App;
}

namespace tovrik::cli {

// How a device command chooses its chip, shared by every device command.
struct DeviceOptions {
    std::string vid;   // hexadecimal; empty: the simulated chip's 1209
    std::string pid;   // hexadecimal; empty: the simulated chip's 0001
    std::string path;  // one interface of several identical chips
    bool simulate = false;
    std::string simulateFile;  // EEPROM backing file of the simulated chip; empty: in memory
    std::optional<int> simCode;
    std::optional<int> simEepromSize;
    std::string simTiming = "virtual";
    // Windows: the chip maker's device library (a DLL) to reach the chip
    // through instead of our own; empty uses our own.
    std::string vendorLibrary;
    // Makes the device library of one connection, over the chosen interface
    // and posting into `queue`; empty makes our own. Listing the interfaces,
    // the device type and the fitted EEPROM size still come from the
    // system's HID interfaces, as in the desktop tool.
    std::function<std::unique_ptr<DeviceLibrary>(HidTransport& view, MessageQueue& queue)>
        makeLibrary;
};

void AddDeviceOptions(CLI::App& command, DeviceOptions& options);

// The ids the options ask for; throws UsageError for a text that is not 1 to 4
// hexadecimal digits.
std::uint16_t RequestedVendorId(const DeviceOptions& options);
std::uint16_t RequestedProductId(const DeviceOptions& options);

// Strict reading of a hexadecimal id for the command line: 1 to 4 digits, an
// optional 0x in front; std::nullopt otherwise.
std::optional<std::uint16_t> ParseHexId(const std::string& text);

// A refused argument or input; the command ends with exit status 2.
struct UsageError {
    std::string reason;
};

// One view of a transport that lists and opens only the interface at `path`,
// so that the device library and the device detection, which both take the
// first interface with the ids, reach exactly that one. Calls into the inner
// transport are serialised through `lock` when given, for transports shared
// by several threads.
class SinglePathTransport : public HidTransport {
public:
    SinglePathTransport(HidTransport& inner, std::string path, std::mutex* lock = nullptr);

    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    std::string OpenFailureMessage(const std::string& path) const override;

private:
    HidTransport& inner_;
    std::string path_;
    std::mutex* lock_;
};

// The fitted EEPROM size from the chip's information report; 0 when it cannot
// be read.
int ReadFittedEepromSize(HidTransport& transport, const std::string& path);

// The interfaces a device command can reach: a simulated chip or the system's.
class DeviceAccess {
public:
    // Builds the access the options name; throws UsageError for bad options.
    explicit DeviceAccess(const DeviceOptions& options);
    ~DeviceAccess();
    DeviceAccess(const DeviceAccess&) = delete;
    DeviceAccess& operator=(const DeviceAccess&) = delete;

    HidTransport& Transport() { return *transport_; }
    // nullptr unless simulated.
    SimulatedChip* Chip() { return chip_.get(); }

    // The interface the options choose: by path, else the first with the ids.
    // Otherwise std::nullopt, with a line on `err` that names what was looked
    // for and what was found instead.
    std::optional<HidDeviceInfo> Choose(const DeviceOptions& options, std::ostream& err);

private:
    std::unique_ptr<SimulatedChip> chip_;
    std::unique_ptr<HidTransport> transport_;
};

// The simulated chip the options describe: the factory image, or the file's
// content with an EEPROM as large as the file needs.
SimulatedChipOptions SimulatedChipFromOptions(const DeviceOptions& options);

// The device library the options ask for, over `view`, posting into `queue`.
std::unique_ptr<DeviceLibrary> MakeDeviceLibrary(const DeviceOptions& options, HidTransport& view,
                                                 MessageQueue& queue);

// An open connection to one interface through the device library.
class Connection {
public:
    // Opens `info` (found through `transport`) with our own device library, or
    // with the one `options` makes; IsOpen() tells whether it worked.
    Connection(HidTransport& transport, const HidDeviceInfo& info, std::mutex* lock = nullptr,
               const DeviceOptions* options = nullptr);
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

    // Reads or writes `bytes.size()` bytes at address 0 in one library call.
    bool Read(std::vector<std::uint8_t>& bytes);
    bool Write(const std::vector<std::uint8_t>& bytes);

private:
    HidDeviceInfo info_;
    SinglePathTransport view_;
    MessageQueue queue_;
    std::unique_ptr<DeviceLibrary> library_;
    bool open_ = false;
    std::string openError_;
    int eepromSize_ = 0;
};

std::string Hex4(std::uint16_t value);

}  // namespace tovrik::cli
