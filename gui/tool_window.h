// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/busy_display.h"

class QProgressBar;
class QTimer;

namespace tovrik {
class CDemoDlg;
class DeviceDirectory;
class Dialog;
}  // namespace tovrik

namespace tovrik::gui {

class DialogView;
class MessagePump;
class SheetView;
class ViewWindow;

// The main window on the desktop: the main dialog with its property sheet
// placed where the dialog's template puts it. It brings every view up to date
// after each user action and each batch of delivered window messages, and
// hands the close request to the dialog, which asks first. While a command
// runs it renders what BusyDisplay decides: a busy cursor and a progress bar
// over the status line once the command runs long, the window kept painted.
class ToolWindow : public QWidget, private BusyView {
    Q_OBJECT

public:
    // How often the device picker looks for chips that came or went.
    static constexpr int kDevicePollMs = 1500;

    // `title` is asked for the window title at every update.
    ToolWindow(CDemoDlg& dialog, std::function<std::string()> title, QWidget* parent = nullptr);
    ~ToolWindow() override;

    // Shows the state of the main dialog, the sheet and the active page.
    void SyncFromModel();

    // Shows the progress of the transfers that `directory` reports; it must outlive the window.
    void WatchProgress(DeviceDirectory& directory);

    // Takes the busy cursor and the progress bar away while a prompt waits for
    // the user; a transfer after it shows them again once it runs long.
    void PauseBusyDisplay();

    // Brings the window to the front, as asked by a second start of the tool.
    void BringToFront();

    DialogView& MainView() { return *mainView_; }
    SheetView& Sheet() { return *sheetView_; }
    // The window of an open view beside the main window (Backups, Log); nullptr when closed.
    ViewWindow* ViewWindowFor(const Dialog& view) const;
    MessagePump& Pump() { return *pump_; }
    bool IsBusy() const { return busy_.IsRunning(); }
    // The windows of the views the user opened that are still open, oldest first.
    std::vector<ViewWindow*> Views() const;

signals:
    // The dialog connected to a chip since the last update.
    void Connected();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowBusy(bool shown) override;
    void ShowProgress(const BusyProgress& progress) override;
    void Repaint() override;
    // Opens, updates or closes the windows of the views the dialog has open.
    void SyncViews();
    void ShowView(Dialog& view);

    CDemoDlg& dialog_;
    std::function<std::string()> title_;
    DialogView* mainView_ = nullptr;
    SheetView* sheetView_ = nullptr;
    MessagePump* pump_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTimer* devicePoll_ = nullptr;
    DeviceDirectory* directory_ = nullptr;
    // The views shown through the context (the Changes view).
    std::vector<QPointer<ViewWindow>> shownViews_;
    bool wasConnected_ = false;
    struct OpenView {
        Dialog* model;
        QPointer<ViewWindow> window;
    };
    std::vector<OpenView> views_;
    BusyDisplay busy_{*this};
};

}  // namespace tovrik::gui
