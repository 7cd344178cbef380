// SPDX-License-Identifier: MIT
#include "app/demo_dlg.h"

#include "app/backups_view.h"
#include "app/demo_app.h"
#include "config/eeprom_config.h"
#include "device/device_directory.h"
#include "device/device_library.h"
#include "formats/hex_text.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "resources/view_ids.h"

namespace tovrik {

namespace {

constexpr const char* kMsgCannotFind = "Cannot find the HID device !!!";
constexpr const char* kAskStop = "Stop the connection without further saving ?";
constexpr const char* kAskExit = "Exit the configuration tool without further saving ?";
constexpr const char* kConnectText = "Connect";
constexpr const char* kStopText = "Stop";

constexpr int kIdLimit = 4;

}  // namespace

CDemoDlg::CDemoDlg(CDemoApp& app)
    : Dialog(app.Ui(), GetDialogTemplate(IDD_MAIN)),
      app_(app),
      usbPage_(app.Context()),
      volumePage_(app.Context()),
      eqPage_(app.Context()),
      miscPage_(app.Context()),
      gpioPage_(app.Context()),
      eepromPage_(app.Context()),
      i2cPage_(app.Context()),
      hidPage_(app.Context()),
      aboutPage_(app.Context())
{
    backupsView_ = std::make_unique<CBackupsView>(app, *this);
    logView_ = std::make_unique<CLogView>(app);
}

CDemoDlg::~CDemoDlg()
{
    Destroy();
}

Dialog& CDemoDlg::BackupsView()
{
    return *backupsView_;
}

Dialog& CDemoDlg::LogView()
{
    return *logView_;
}

const std::string& CDemoDlg::LastBackupPath() const
{
    return app_.Context().LastBackupPath();
}

std::vector<CConfigPage*> CDemoDlg::ConfigPages()
{
    return {&usbPage_, &volumePage_, &eqPage_, &miscPage_};
}

std::vector<PropertyPage*> CDemoDlg::AllPages()
{
    return {&usbPage_,    &volumePage_, &eqPage_,  &miscPage_, &gpioPage_,
            &eepromPage_, &i2cPage_,    &hidPage_, &aboutPage_};
}

void CDemoDlg::SetButtonHandler(int id, std::function<void()> handler)
{
    std::erase_if(buttonHandlers_, [id](const auto& entry) { return entry.first == id; });
    if (handler) {
        buttonHandlers_.emplace_back(id, std::move(handler));
    }
}

void CDemoDlg::TellPages(PagesEvent event)
{
    if (pagesObserver_) {
        pagesObserver_(event);
    }
}

void CDemoDlg::MarkEepromChanged()
{
    eepromChanged_ = true;
    SetDlgItemText(IDC_STATUS_NOTE, kEepromChangedNote);
}

int CDemoDlg::OnInitDialog()
{
    app_.SetGenericEventReceiver(&hidPage_);
    app_.Context().SetPageInputObserver([this] { TellPages(PagesEvent::Edited); });
    for (CConfigPage* page : ConfigPages()) {
        sheet_.AddPage(page);
    }
    sheet_.AddPage(&aboutPage_);
    sheet_.Create();
    sheet_.SetActivePage(&usbPage_);

    CheckDlgButton(IDC_MODE_CONFIG, true);
    CheckDlgButton(IDC_MODE_DEMO, false);
    EnableDlgItem(IDC_SAVE_EEPROM, false);
    EnableDeviceCommands(false);
    configurationMode = 1;
    connected = 0;
    RefreshDeviceList();
    return 1;
}

void CDemoDlg::OnDestroy()
{
    backupsView_->Destroy();
    logView_->Destroy();
    app_.Context().SetPageInputObserver({});
    sheet_.Destroy();
    if (connected != 0) {
        connected = 0;
        app_.Library().rmDeviceClose();
        SetDlgItemText(IDC_CONNECT, kConnectText);
    }
}

void CDemoDlg::DoDataExchange(DataExchange& dx)
{
    dx.Text(IDC_VID, vendorIdText, kIdLimit);
    dx.Text(IDC_PID, productIdText, kIdLimit);
}

void CDemoDlg::EnableDeviceCommands(bool enable)
{
    EnableDlgItem(IDC_ERASE, enable);
    EnableDlgItem(IDC_EEPROM_TO_FILE, enable);
    EnableDlgItem(IDC_FILE_TO_EEPROM, enable);
    EnableDlgItem(IDC_REFRESH, enable);
    EnableDlgItem(IDC_BACKUPS, enable);
    EnableDlgItem(IDC_CHANGES, enable);
}

void CDemoDlg::LoadPages()
{
    for (CConfigPage* page : ConfigPages()) {
        page->LoadFromImage();
    }
    eepromChanged_ = false;
    SetDlgItemText(IDC_STATUS_NOTE, "");
    TellPages(PagesEvent::Loaded);
}

void CDemoDlg::OnCommand(int id, Notify code)
{
    if (id == IDC_DEVICE_LIST && code == Notify::SelChange) {
        OnDevicePicked();
        return;
    }
    // Enter in the id fields presses "Connect" while there is nothing to stop.
    if ((id == IDC_VID || id == IDC_PID) && code == Notify::DefaultKey && connected == 0) {
        RunTimed(kConnectText, [this] { return OnConnectButton(); });
        return;
    }
    if (code != Notify::Clicked) {
        return;
    }
    for (const auto& [handled, handler] : buttonHandlers_) {
        if (handled == id) {
            handler();
            return;
        }
    }
    switch (id) {
        case IDC_CONNECT:
            RunTimed(connected == 0 ? kConnectText : kStopText,
                     [this] { return OnConnectButton(); });
            break;
        case IDC_STATION:
            OpenStation();
            break;
        case IDC_MODE_CONFIG:
            OnConfigurationMode();
            break;
        case IDC_MODE_DEMO:
            OnDemoMode();
            break;
        case IDC_SAVE_EEPROM:
            RunTimed("Save EEPROM", [this] { return OnSaveEeprom(); });
            break;
        case IDC_ERASE:
            RunTimed("Erase", [this] { return OnErase(); });
            break;
        case IDC_REFRESH:
            RunTimed("Refresh", [this] { return OnRefresh(); });
            break;
        case IDC_EEPROM_TO_FILE:
            RunTimed("EEPROM -> FILE", [this] { return OnEepromToFile(); });
            break;
        case IDC_FILE_TO_EEPROM:
            RunTimed("FILE -> EEPROM", [this] { return OnFileToEeprom(); });
            break;
        case IDC_BACKUPS:
            backupsView_->Open();
            break;
        case IDC_LOG:
            logView_->Open();
            break;
        default:
            break;
    }
}

void CDemoDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DEVICECHANGE) {
        app_.Library().rmHandleDeviceChangeNotification(wParam, lParam);
        RefreshDeviceList();
    } else if (message == DeviceRemovedMessage) {
        if (connected != 0) {
            DisconnectDevice();
            connected = 0;
        }
    }
    // The library posts every notification to this window, the one given to
    // rmDeviceStart; the GPIO page lists them (device arrival and removal
    // included), so they are posted on to its window while it exists.
    if (message >= DeviceAddedMessage && message <= EventsDroppedMessage) {
        gpioPage_.PostMessage(message, wParam, lParam);
    }
}

void CDemoDlg::ShowModeSwitch()
{
    for (int id : {IDC_MODE_FRAME, IDC_MODE_CONFIG, IDC_MODE_DEMO}) {
        if (Control* control = GetDlgItem(id)) {
            control->Show(true);
            control->Enable(true);
        }
    }
}

bool CDemoDlg::OnClose()
{
    if (!GetPrompter().Question(kAskExit)) {
        return false;
    }
    Destroy();
    return true;
}

CDemoDlg::Outcome CDemoDlg::OnConnectButton()
{
    if (connected == 0) {
        if (ConnectDevice() != 0) {
            LoadPages();
            connected = 1;
            return Outcome::Done;
        }
        GetPrompter().MessageBox(kMsgCannotFind);
        return Outcome::Failed;
    }
    if (GetPrompter().Question(kAskStop)) {
        DisconnectDevice();
        connected = 0;
        return Outcome::Done;
    }
    return Outcome::Cancelled;
}

bool CDemoDlg::OpenStation()
{
    // The station takes the chips itself, so the window lets go of its own first.
    if (connected != 0) {
        if (!GetPrompter().Question(kAskStop)) {
            return false;
        }
        DisconnectDevice();
        connected = 0;
    }
    if (stationOpener_) {
        stationOpener_();
    }
    return true;
}

int CDemoDlg::ConnectDevice()
{
    if (UpdateData(true) == 0) {
        return 0;
    }
    const auto vendorId = static_cast<std::uint16_t>(ParseHexText(vendorIdText));
    const auto productId = static_cast<std::uint16_t>(ParseHexText(productIdText));
    DeviceLibrary& library = app_.Library();
    const std::string picked = PickedInterface(vendorId, productId);
    if (DeviceDirectory* directory = app_.Directory()) {
        directory->PreferInterface(picked);
    }
    app_.Config().PreferInterface(picked);
    // The chip's file and journal follow the interface about to be opened.
    imageFile_.clear();
    if (app_.Services().useChip) {
        std::string path = picked;
        if (path.empty() && app_.Directory() != nullptr) {
            for (const HidDeviceInfo& info : app_.Directory()->ListInterfaces()) {
                if (info.vendorId == vendorId && info.productId == productId) {
                    path = info.path;
                    break;
                }
            }
        }
        imageFile_ = app_.Services().useChip(path);
    }
    if (library.rmDeviceStart(vendorId, productId, Handle(), 0, DeviceAddedMessage,
                              DeviceRemovedMessage) == 0) {
        ShowWhyNotFound(vendorId, productId);
        return 0;
    }
    app_.Context().SetDeviceIds(vendorId, productId);
    app_.Config().DetectDevice(vendorId, productId);
    if (ClassifyDevice() == 0) {
        library.rmDeviceClose();
        ShowWhyNotFound(vendorId, productId);
        return 0;
    }
    OfferUnfinishedWriteBack(vendorId, productId);
    SetDlgItemText(IDC_CONNECT, kStopText);
    library.rmSetMixerKeyNotifyMessages(MixerKeyDownMessage, MixerKeyUpMessage);
    library.rmSetGenericNotifyMessages(GenericNotifyMessage);
    library.rmSetI2CGenericNotifyMessages(I2CGenericNotifyMessage);
    library.rmSetGPIGenericNotifyMessages(GPIGenericNotifyMessage);
    app_.Config().LoadFromEeprom();
    EnableDlgItem(IDC_SAVE_EEPROM, true);
    EnableDeviceCommands(true);
    ShowChipStatus();
    return 1;
}

int CDemoDlg::DisconnectDevice()
{
    DeviceLibrary& library = app_.Library();
    library.rmDeviceClose();
    SetDlgItemText(IDC_CONNECT, kConnectText);
    library.rmSetMixerKeyNotifyMessages(0, 0);
    library.rmSetGenericNotifyMessages(GenericNotifyMessage);
    EnableDlgItem(IDC_SAVE_EEPROM, false);
    EnableDeviceCommands(false);
    app_.ReleaseDeviceProfile();
    journalNotice_.clear();
    imageFile_.clear();
    // The backups listed were the chip's.
    backupsView_->Destroy();
    ShowChipStatus();
    TellPages(PagesEvent::Closed);
    return 1;
}

int CDemoDlg::ClassifyDevice()
{
    return ClassifyDeviceCode(app_.Config().GetDeviceCode(), *app_.GetDeviceProfile());
}

void CDemoDlg::OnConfigurationMode()
{
    CheckDlgButton(IDC_MODE_CONFIG, true);
    CheckDlgButton(IDC_MODE_DEMO, false);
    if (configurationMode == 0) {
        for (PropertyPage* page :
             std::vector<PropertyPage*>{&gpioPage_, &eepromPage_, &i2cPage_, &hidPage_}) {
            sheet_.RemovePage(page);
        }
        for (CConfigPage* page : ConfigPages()) {
            sheet_.AddPage(page);
        }
        sheet_.SetActivePage(&usbPage_);
        EnableDlgItem(IDC_SAVE_EEPROM, true);
    }
    configurationMode = 1;
    TellPages(PagesEvent::Edited);
}

void CDemoDlg::OnDemoMode()
{
    CheckDlgButton(IDC_MODE_DEMO, true);
    CheckDlgButton(IDC_MODE_CONFIG, false);
    if (configurationMode == 1) {
        for (CConfigPage* page : ConfigPages()) {
            sheet_.RemovePage(page);
        }
        for (PropertyPage* page :
             std::vector<PropertyPage*>{&gpioPage_, &eepromPage_, &i2cPage_, &hidPage_}) {
            sheet_.AddPage(page);
        }
        sheet_.SetActivePage(&gpioPage_);
        EnableDlgItem(IDC_SAVE_EEPROM, false);
    }
    configurationMode = 0;
    TellPages(PagesEvent::Edited);
}

}  // namespace tovrik
