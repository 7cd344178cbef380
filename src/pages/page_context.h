#pragma once

#include <memory>

#include "formats/device_profile.h"

namespace tovrik {

class DeviceLibrary;
class EepromConfig;
class PropertyPage;
class UiContext;

// What a page needs of the application: the windows and prompts, the device
// library, the configuration image and the profile of the current connection.
// The application object owns it and hands it to every page, so a page never
// sees the main window.
class PageContext {
public:
    PageContext(UiContext& ui, DeviceLibrary& library, EepromConfig& config)
        : ui_(ui), library_(library), config_(config)
    {
    }
    PageContext(const PageContext&) = delete;
    PageContext& operator=(const PageContext&) = delete;

    UiContext& Ui() { return ui_; }
    DeviceLibrary& Library() { return library_; }
    EepromConfig& Config() { return config_; }

    // The profile of the current connection, created on first use.
    DeviceProfile* GetDeviceProfile()
    {
        if (!profile_) {
            profile_ = std::make_unique<DeviceProfile>();
        }
        return profile_.get();
    }
    void ReleaseDeviceProfile() { profile_.reset(); }
    // The profile without creating one; nullptr while there is none.
    const DeviceProfile* CurrentDeviceProfile() const { return profile_.get(); }

    // The page that receives forwarded generic-event notifications.
    void SetGenericEventReceiver(PropertyPage* page) { genericEventReceiver_ = page; }
    PropertyPage* GenericEventReceiver() const { return genericEventReceiver_; }

private:
    UiContext& ui_;
    DeviceLibrary& library_;
    EepromConfig& config_;
    std::unique_ptr<DeviceProfile> profile_;
    PropertyPage* genericEventReceiver_ = nullptr;
};

}  // namespace tovrik
