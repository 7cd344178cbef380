#pragma once

#include <memory>

#include "formats/device_profile.h"
#include "platform/dialog.h"

namespace tovrik {

class CDemoDlg;
class DeviceLibrary;
class SingleInstanceLock;
class EepromConfig;
class PropertyPage;

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

    // The main window, nullptr before start-up.
    CDemoDlg* MainWindow() { return mainWindow_.get(); }

    // The profile of the current connection, created on first use.
    DeviceProfile* GetDeviceProfile();
    void ReleaseDeviceProfile();
    // The profile without creating one; nullptr while there is none.
    const DeviceProfile* CurrentDeviceProfile() const { return profile_.get(); }

    // The page that receives forwarded generic-event notifications.
    void SetGenericEventReceiver(PropertyPage* page) { genericEventReceiver_ = page; }
    PropertyPage* GenericEventReceiver() const { return genericEventReceiver_; }

    UiContext& Ui() { return ui_; }
    DeviceLibrary& Library() { return library_; }
    EepromConfig& Config() { return config_; }

private:
    UiContext& ui_;
    DeviceLibrary& library_;
    EepromConfig& config_;
    std::unique_ptr<DeviceProfile> profile_;
    PropertyPage* genericEventReceiver_ = nullptr;
    std::unique_ptr<SingleInstanceLock> instanceLock_;
    std::unique_ptr<CDemoDlg> mainWindow_;
};

}  // namespace tovrik
