// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/window_services.h"
#include "pages/page_context.h"
#include "platform/dialog.h"

namespace tovrik {

class CDemoDlg;
class DeviceDirectory;
class SingleInstanceLock;

// The application object: the single-instance rule, the main window and the
// device profile of the current connection.
class CDemoApp {
public:
    CDemoApp(UiContext& ui, DeviceLibrary& library, EepromConfig& config);
    ~CDemoApp();
    CDemoApp(const CDemoApp&) = delete;
    CDemoApp& operator=(const CDemoApp&) = delete;

    // Start-up: creates and shows the main window. With `takeInstanceLock`,
    // returns 0 without a window and without a message when another instance
    // of the tool runs; a lock that cannot be taken at all does not stop it.
    int InitInstance(bool takeInstanceLock);
    // Why the single-instance lock could not be used, for the front end to
    // report; empty when it was taken (or not asked for).
    const std::string& InstanceLockProblem() const { return instanceLockProblem_; }

    // The main window, nullptr before start-up.
    CDemoDlg* MainWindow() { return mainWindow_.get(); }

    // The profile of the current connection, created on first use.
    DeviceProfile* GetDeviceProfile() { return context_.GetDeviceProfile(); }
    void ReleaseDeviceProfile() { context_.ReleaseDeviceProfile(); }
    // The profile without creating one; nullptr while there is none.
    const DeviceProfile* CurrentDeviceProfile() const { return context_.CurrentDeviceProfile(); }

    // The page that receives forwarded generic-event notifications.
    void SetGenericEventReceiver(PropertyPage* page) { context_.SetGenericEventReceiver(page); }
    PropertyPage* GenericEventReceiver() const { return context_.GenericEventReceiver(); }

    UiContext& Ui() { return context_.Ui(); }
    DeviceLibrary& Library() { return context_.Library(); }
    EepromConfig& Config() { return context_.Config(); }

    // What the pages are given of the application.
    PageContext& Context() { return context_; }

    // The attached chips for the device picker and the status line; nullptr
    // leaves the picker empty.
    void SetDeviceDirectory(DeviceDirectory* directory) { directory_ = directory; }
    DeviceDirectory* Directory() { return directory_; }

    // The clock the status line times operations with; a steady clock unless
    // replaced (scripted runs replace it so their transcripts stay the same).
    using Clock = std::function<std::chrono::microseconds()>;
    void SetClock(Clock clock) { clock_ = std::move(clock); }
    std::chrono::microseconds Now() const;

    // What the session adds for the main window (image files, settings of
    // images, the log, the file manager); empty members without a session.
    void SetServices(WindowServices services) { services_ = std::move(services); }
    const WindowServices& Services() const { return services_; }

private:
    WindowServices services_;
    PageContext context_;
    DeviceDirectory* directory_ = nullptr;
    Clock clock_;
    std::unique_ptr<SingleInstanceLock> instanceLock_;
    std::string instanceLockProblem_;
    std::unique_ptr<CDemoDlg> mainWindow_;
};

}  // namespace tovrik
