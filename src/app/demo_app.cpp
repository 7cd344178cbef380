#include "app/demo_app.h"

#include "app/demo_dlg.h"

namespace tovrik {

CDemoApp::CDemoApp(UiContext& ui, DeviceLibrary& library, EepromConfig& config)
    : ui_(ui), library_(library), config_(config)
{
}

CDemoApp::~CDemoApp()
{
    // The main window goes first: its destruction still talks to the device.
    mainWindow_.reset();
    ReleaseDeviceProfile();
}

int CDemoApp::InitInstance(bool /*takeInstanceLock*/)
{
    mainWindow_ = std::make_unique<CDemoDlg>(*this);
    mainWindow_->Create();
    return 1;
}

DeviceProfile* CDemoApp::GetDeviceProfile()
{
    if (!profile_) {
        profile_ = std::make_unique<DeviceProfile>();
    }
    return profile_.get();
}

void CDemoApp::ReleaseDeviceProfile()
{
    profile_.reset();
}

}  // namespace tovrik
