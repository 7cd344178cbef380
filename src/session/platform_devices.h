// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/device_library.h"
#include "device/hid_transport.h"
#include "platform/message_queue.h"

namespace tovrik {

// The chip maker's device library behind an adapter: each executable that can
// load it registers how.
struct LibraryAdapter {
    // Loads and checks the library at `path`; nullptr, with `error` naming the
    // file and what is wrong, when it cannot be used. Nothing of it runs then.
    std::function<std::unique_ptr<DeviceLibrary>(const std::string& path, std::string& error)> load;
    // Lets the loaded library post its notifications into `queue`, through
    // `window` (a window of the system's) or, without one, a hidden window of
    // its own. False when they cannot reach the queue.
    std::function<bool(DeviceLibrary& library, MessageQueue& queue, void* window)> connect;
    // Delivers what the library posted through the system's window messages.
    std::function<void()> deliverMessages;
};

// What reaches real chips in this executable: the system's HID transports and
// the adapter for the chip maker's library. The core has none of them; each
// executable registers those of its platform before it builds a session.
class PlatformDevices {
public:
    using TransportMaker = std::function<std::unique_ptr<HidTransport>()>;

    // The first transport registered is the system's default.
    void AddTransport(const std::string& name, TransportMaker make);
    void SetLibraryAdapter(LibraryAdapter adapter);

    bool HasTransport(const std::string& name) const;
    // The names, in the order they were registered.
    std::vector<std::string> TransportNames() const;
    // The transport named (empty: the default); one that finds no chip when
    // none is registered under the name.
    std::unique_ptr<HidTransport> MakeTransport(const std::string& name = {}) const;
    // nullptr when this executable cannot load the chip maker's library.
    const LibraryAdapter* Adapter() const;

    // Forgets every registration (for tests).
    void Clear();

private:
    struct Entry {
        std::string name;
        TransportMaker make;
    };
    std::vector<Entry> transports_;
    LibraryAdapter adapter_;
};

// The registrations of this process.
PlatformDevices& SystemDevices();

}  // namespace tovrik
