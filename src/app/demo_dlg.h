// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "device/hid_transport.h"

#include "pages/about_page.h"
#include "pages/config/eq_page.h"
#include "pages/config/misc_page.h"
#include "pages/config/usb_cfg_page.h"
#include "pages/config/volume_cfg_page.h"
#include "pages/demo/eeprom_page.h"
#include "pages/demo/generic_data.h"
#include "pages/demo/i2c_page.h"
#include "pages/demo/main_page.h"
#include "platform/dialog.h"
#include "platform/property_sheet.h"

namespace tovrik {

class CBackupsView;
class CDemoApp;
class CLogView;

// The main window: the connect/stop control with the vendor and product id,
// the commands on the whole EEPROM, the mode switch and the property sheet
// with every page.
class CDemoDlg : public Dialog {
public:
    explicit CDemoDlg(CDemoApp& app);
    ~CDemoDlg() override;

    // Opens and classifies the device and loads the image; 1 when connected.
    int ConnectDevice();
    // Closes the device and returns to the disconnected look; always 1.
    int DisconnectDevice();
    // Fills the device profile from the device code; 0 for codes of 32 and above.
    int ClassifyDevice();

    void OnCommand(int id, Notify code) override;
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The station window's opener, which a front end provides.
    void SetStationOpener(std::function<void()> open) { stationOpener_ = std::move(open); }
    // Disconnects from the chip, asking first as Stop does, and opens the
    // station window; false when the user kept the connection.
    bool OpenStation();

    // The close request: asks first and closes the window on OK. true when closed.
    bool OnClose();

    // Shows and enables the mode switch and its frame, which the window is
    // created without, for engineers who need the demo pages.
    void ShowModeSwitch();

    int IsConnected() const { return connected; }
    int IsConfigurationMode() const { return configurationMode; }
    PropertySheet& Sheet() { return sheet_; }
    // The backup kept by the last action that wrote the EEPROM; empty before the first.
    const std::string& LastBackupPath() const;
    // The four configuration pages in load and store order.
    std::vector<CConfigPage*> ConfigPages();
    // Every page the window owns, configuration pages first.
    std::vector<PropertyPage*> AllPages();

    // Brings the device picker up to date with the chips attached now; front
    // ends call it when the system may have changed them.
    void RefreshDeviceList();
    // Shows in the status line where the last backup of the EEPROM went, or why none was kept.
    void ShowLastBackup();

    // The views beside the window, open while their window exists: the
    // connected chip's backups ("Backups...") and the log of the window's
    // commands ("Log").
    Dialog& BackupsView();
    Dialog& LogView();
    // Writes the backup at `path` back into the connected chip's EEPROM after
    // asking, keeping what it replaces as a backup, then loads the pages
    // again; the Backups view's "Restore". 1 when written.
    int RestoreBackupFile(const std::string& path);
    // The image file the connected chip is, empty for any other chip.
    const std::string& ImageFile() const { return imageFile_; }

    // Told when a command on the device starts (running true) and when it has
    // ended, so a front end can show that the window is busy.
    using OperationObserver = std::function<void(const std::string& name, bool running)>;
    void SetOperationObserver(OperationObserver observer)
    {
        operationObserver_ = std::move(observer);
    }

    // What happened to the pages, for whoever follows what a save would
    // change: Loaded when they hold what the chip holds (after a connection,
    // a refresh or a save), Edited when the user's input or the mode switch
    // may have changed them, Closed when the connection ended.
    enum class PagesEvent { Loaded, Edited, Closed };
    using PagesObserver = std::function<void(PagesEvent)>;
    void SetPagesObserver(PagesObserver observer) { pagesObserver_ = std::move(observer); }
    // A click on a button of the window that a layer above handles (the
    // Changes view, say); empty removes it.
    void SetButtonHandler(int id, std::function<void()> handler);

    // Whether the EEPROM was written after the pages were loaded (Erase,
    // FILE -> EEPROM), so that saving the pages would undo that write.
    bool EepromChangedSinceLoad() const { return eepromChanged_; }

    // The status line's note while the EEPROM holds something else than the pages were loaded from.
    static constexpr const char* kEepromChangedNote =
        "The EEPROM was changed after the pages were loaded; Refresh shows what it holds";

protected:
    int OnInitDialog() override;
    void OnDestroy() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    enum class Outcome { Done, Failed, Cancelled };

    // Runs a command, then shows its name, outcome and duration in the status line.
    void RunTimed(const std::string& name, const std::function<Outcome()>& command);
    void ShowChipStatus();
    // After a connection: names an unfinished write to this chip in the
    // status line and offers to write back the backup of what it replaced.
    void OfferUnfinishedWriteBack(std::uint16_t vendorId, std::uint16_t productId);
    void ShowWhyNotFound(std::uint16_t vendorId, std::uint16_t productId);
    void OnDevicePicked();
    // The chip list's last entry: opens an image file as a chip and connects to it.
    Outcome OnImageFile();
    Outcome OnRestore(const std::string& path);
    // Puts the command just run into the session's log.
    void LogCommand(const std::string& name, Outcome outcome, std::chrono::microseconds duration,
                    std::uint64_t bytesBefore, std::uint64_t backupsBefore);
    // The interface picked in the list when its ids are these; empty otherwise.
    std::string PickedInterface(std::uint16_t vendorId, std::uint16_t productId) const;

    Outcome OnConnectButton();
    void OnConfigurationMode();
    void OnDemoMode();
    void EnableDeviceCommands(bool enable);
    void LoadPages();
    void TellPages(PagesEvent event);
    // The EEPROM now holds what another command wrote, not what the pages were loaded from.
    void MarkEepromChanged();

    // The whole-image commands.
    Outcome OnSaveEeprom();
    Outcome OnErase();
    Outcome OnRefresh();
    Outcome OnEepromToFile();
    Outcome OnFileToEeprom();
    // After a failed write's message: where the backup went, when the front end asks for it.
    void TellBackupAfterFailure();

    CDemoApp& app_;
    std::string vendorIdText;
    std::string productIdText;
    int connected = 0;
    int configurationMode = 1;

    std::vector<HidDeviceInfo> listedDevices_;
    std::string pickedPath_;
    // What the status line adds about an unfinished write to the connected chip.
    std::string journalNotice_;
    std::string imageFile_;
    std::unique_ptr<CBackupsView> backupsView_;
    std::unique_ptr<CLogView> logView_;
    OperationObserver operationObserver_;
    std::function<void()> stationOpener_;
    PagesObserver pagesObserver_;
    std::vector<std::pair<int, std::function<void()>>> buttonHandlers_;
    bool eepromChanged_ = false;

    PropertySheet sheet_;
    CUsbCfgPage usbPage_;
    CVolumeCfgPage volumePage_;
    CEQPage eqPage_;
    CMiscPage miscPage_;
    CMainPage gpioPage_;
    CEepromPage eepromPage_;
    CI2CPage i2cPage_;
    CGenericData hidPage_;
    CAboutPage aboutPage_;
};

}  // namespace tovrik
