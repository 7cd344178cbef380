// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "device/sim/simulated_chip.h"

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;

namespace tovrik {

// A simulated chip that the system's HID layer sees as real hardware: a
// umockdev test bed with a USB device, its interface, a HID device with the
// chip's report descriptor and the hidraw node /dev/hidraw0, whose ioctls,
// reads and writes a handler serves from the chip. Works only in a process
// (or for children) that umockdev's preload library redirects.
//
// poll() is not redirected, so the node is a FIFO that this harness keeps
// readable exactly while the chip has input reports queued (and for good
// once the chip is unplugged, like a hidraw node of a vanished device): a
// reader that polls with a time-out then behaves as it would on hardware.
class UmockdevChip {
public:
    static constexpr const char* kDevicePath = "/dev/hidraw0";

    explicit UmockdevChip(SimulatedChipOptions options);
    ~UmockdevChip();
    UmockdevChip(const UmockdevChip&) = delete;
    UmockdevChip& operator=(const UmockdevChip&) = delete;

    // Empty when the test bed stands; otherwise why it does not.
    const std::string& Error() const { return error_; }

    SimulatedChip& Chip() { return chip_; }

    // The chip leaves the bus: its handles fail, its node and sysfs entries go.
    void Unplug();
    // The chip boots from its EEPROM and appears again with the ids stored there.
    bool Plug();
    // Takes the node away while sysfs still lists the device, so opening it
    // fails the way a node without access does for an unprivileged user.
    void RemoveNode();

    // Ioctl requests served, by request number, for tests of what hidapi asks.
    int IoctlCount(unsigned long request) const;

private:
    bool AddDevices();
    void RemoveDevices();
    bool MakeReadinessNode();
    // Makes the node readable exactly when the chip has reports queued.
    void SyncReadiness();
    void SignalReadable();
    std::uint64_t SessionOf(UMockdevIoctlClient* client);

    static void OnConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self);
    static void OnVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self);
    static int OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self);
    static int OnRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self);
    static int OnWrite(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self);

    SimulatedChip chip_;
    std::string error_;
    UMockdevTestbed* testbed_ = nullptr;
    UMockdevIoctlBase* handler_ = nullptr;
    std::string rootDir_;
    std::vector<std::string> devices_;  // sysfs paths, parents first
    std::atomic<int> signalFd_{-1};     // our end of the current node's FIFO

    mutable std::mutex mutex_;
    std::map<UMockdevIoctlClient*, std::uint64_t> sessions_;
    std::map<unsigned long, int> ioctlCounts_;
};

// Empty when umockdev can stand up a hidraw node in this process; otherwise
// why not (no preload library, no test bed, ...).
std::string UmockdevUnavailableReason();

}  // namespace tovrik
