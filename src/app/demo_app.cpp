// SPDX-License-Identifier: MIT
#include "app/demo_app.h"

#include <cstring>
#include <string>

#include "app/demo_dlg.h"
#include "platform/single_instance_lock.h"

namespace tovrik {

CDemoApp::CDemoApp(UiContext& ui, DeviceLibrary& library, EepromConfig& config)
    : context_(ui, library, config)
{
}

CDemoApp::~CDemoApp()
{
    // The main window goes first: its destruction still talks to the device.
    mainWindow_.reset();
    ReleaseDeviceProfile();
}

std::chrono::microseconds CDemoApp::Now() const
{
    if (clock_) {
        return clock_();
    }
    return std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

int CDemoApp::InitInstance(bool takeInstanceLock)
{
    if (takeInstanceLock) {
        SingleInstanceLock::Result lock = SingleInstanceLock::TryAcquire(kToolInstanceName);
        if (lock.status == SingleInstanceLock::Status::HeldElsewhere) {
            return 0;
        }
        if (lock.status == SingleInstanceLock::Status::Unavailable) {
            instanceLockProblem_ = "the single-instance lock cannot be used (" +
                                   (lock.path.empty() ? std::string("no private runtime directory")
                                                      : lock.path) +
                                   (lock.error != 0 ? std::string(": ") + std::strerror(lock.error)
                                                    : std::string()) +
                                   "); another instance may run at the same time";
        }
        instanceLock_ = std::move(lock.lock);
    }
    mainWindow_ = std::make_unique<CDemoDlg>(*this);
    mainWindow_->Create();
    return 1;
}

}  // namespace tovrik
