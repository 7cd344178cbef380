// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "session/platform_devices.h"
#include "session/tool_session.h"

namespace tovrik {

// A session on the factory-fresh simulated chip, kept in memory.
inline std::unique_ptr<ToolSession> SimulatedToolSession(Prompter& prompter,
                                                         bool realTiming = false)
{
    SessionDescription description;
    description.chip.simulate = true;
    description.chip.realTiming = realTiming;
    std::string error;
    std::unique_ptr<ToolSession> session = ToolSession::Build(description, prompter, error);
    if (!session) {
        throw std::runtime_error(error);
    }
    return session;
}

// A session on the system's interfaces, which here are `transport`'s.
inline std::unique_ptr<ToolSession> ToolSessionOver(std::unique_ptr<HidTransport> transport,
                                                    Prompter& prompter)
{
    static PlatformDevices devices;
    devices.Clear();
    auto shared = std::shared_ptr<HidTransport>(std::move(transport));
    devices.AddTransport("test", [shared] {
        // The session owns what it is given; this one stays with the registration.
        struct Borrowed : HidTransport {
            explicit Borrowed(std::shared_ptr<HidTransport> inner) : inner_(std::move(inner)) {}
            std::vector<HidDeviceInfo> Enumerate() override { return inner_->Enumerate(); }
            std::unique_ptr<HidDevice> Open(const std::string& path) override
            {
                return inner_->Open(path);
            }
            std::string OpenFailureMessage(const std::string& path) const override
            {
                return inner_->OpenFailureMessage(path);
            }
            std::shared_ptr<HidTransport> inner_;
        };
        return std::make_unique<Borrowed>(shared);
    });
    SessionDescription description;
    std::string error;
    std::unique_ptr<ToolSession> session =
        ToolSession::Build(description, prompter, error, devices);
    if (!session) {
        throw std::runtime_error(error);
    }
    return session;
}

}  // namespace tovrik
