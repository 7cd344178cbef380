// SPDX-License-Identifier: MIT
#include "session/platform_devices.h"

#include <algorithm>

#include "device/no_device_transport.h"

namespace tovrik {

void PlatformDevices::AddTransport(const std::string& name, TransportMaker make)
{
    for (Entry& entry : transports_) {
        if (entry.name == name) {
            entry.make = std::move(make);
            return;
        }
    }
    transports_.push_back({name, std::move(make)});
}

void PlatformDevices::SetLibraryAdapter(LibraryAdapter adapter)
{
    adapter_ = std::move(adapter);
}

bool PlatformDevices::HasTransport(const std::string& name) const
{
    return std::any_of(transports_.begin(), transports_.end(),
                       [&](const Entry& entry) { return entry.name == name; });
}

std::vector<std::string> PlatformDevices::TransportNames() const
{
    std::vector<std::string> names;
    for (const Entry& entry : transports_) {
        names.push_back(entry.name);
    }
    return names;
}

std::unique_ptr<HidTransport> PlatformDevices::MakeTransport(const std::string& name) const
{
    for (const Entry& entry : transports_) {
        if (name.empty() || entry.name == name) {
            return entry.make();
        }
    }
    return std::make_unique<NoDeviceTransport>();
}

const LibraryAdapter* PlatformDevices::Adapter() const
{
    return adapter_.load ? &adapter_ : nullptr;
}

void PlatformDevices::Clear()
{
    transports_.clear();
    adapter_ = {};
}

PlatformDevices& SystemDevices()
{
    static PlatformDevices devices;
    return devices;
}

}  // namespace tovrik
