// SPDX-License-Identifier: MIT
#pragma once

#include "windows_api.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dialog_window.h"
#include "platform/busy_display.h"

namespace tovrik {

class CDemoDlg;
class DeviceDirectory;
class Dialog;
class PropertyPage;

namespace win32 {

// Sent to the main window when the message queue has something to deliver.
constexpr UINT kDeliverQueuedMessages = WM_APP + 1;

// The tool's main window on Windows: the main dialog as a top-level dialog
// window, its property sheet as a tab control with a child dialog per page,
// and the delivery of the dialogs' posted messages on this thread. It keeps
// every view in step with the model after each input and each delivery.
// While a command on the device runs it renders what BusyDisplay decides: a
// wait cursor and a progress bar over the status line once the command runs
// long; the window is repainted meanwhile but takes no input.
class ToolFrame : private BusyView {
public:
    ToolFrame(CDemoDlg& dialog, std::function<std::string()> title);
    ~ToolFrame();
    ToolFrame(const ToolFrame&) = delete;
    ToolFrame& operator=(const ToolFrame&) = delete;

    // The main window. A device library that posts its notifications as
    // window messages posts them here; they reach the main dialog's model.
    HWND Handle() const { return main_ ? main_->Hwnd() : nullptr; }

    void Show(int how);
    // Shows the progress of transfers that wait for the chip.
    void WatchProgress(DeviceDirectory& directory);
    void SyncFromModel();
    // Takes the wait cursor and the progress bar away while a prompt waits for
    // the user; a transfer after it shows them again once it runs long.
    void PauseBusyDisplay() { busy_.Pause(); }
    // Frees the views of page windows that are gone; called between messages,
    // never from inside a view's own handler.
    void CollectRetired();
    // The windows of the views beside the main window that are still open.
    std::vector<HWND> OpenViews() const;

private:
    bool OnMainMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    void LayOut();
    void SyncTabs();
    void OnTabChange();
    // Opens, updates or closes the windows of the views the dialog has open.
    void SyncViews();
    void OnOperation(const std::string& name, bool running);
    void OnProgress(std::uint32_t done, std::uint32_t total);
    void ShowBusy(bool shown) override;
    void ShowProgress(const BusyProgress& progress) override;
    void Repaint() override;
    void ShowView(Dialog& view);

    CDemoDlg& dialog_;
    std::function<std::string()> title_;
    std::unique_ptr<DialogWindow> main_;
    HWND tab_ = nullptr;
    RECT pageArea_{};  // where the pages sit, in the main window's client pixels
    std::map<const PropertyPage*, std::unique_ptr<DialogWindow>> views_;
    std::vector<PropertyPage*> shownPages_;
    std::vector<std::unique_ptr<DialogWindow>> retired_;
    // The views beside the main window (Backups, Log), each an owned window while open.
    struct OpenView {
        Dialog* model;
        std::unique_ptr<DialogWindow> window;
    };
    std::vector<OpenView> openViews_;
    // The views shown through the context (the Changes view), each a window of its own.
    std::vector<std::unique_ptr<DialogWindow>> shownViews_;
    bool syncing_ = false;
    DeviceDirectory* directory_ = nullptr;
    HWND progress_ = nullptr;
    BusyDisplay busy_{*this};
    bool deliveryWaiting_ = false;
};

}  // namespace win32
}  // namespace tovrik
