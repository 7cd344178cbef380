// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

class QProgressBar;
class QTimer;

namespace tovrik {
class CDemoDlg;
class DeviceDirectory;
}  // namespace tovrik

namespace tovrik::gui {

class DialogView;
class MessagePump;
class SheetView;

// The main window on the desktop: the main dialog with its property sheet
// placed where the dialog's template puts it. It brings every view up to date
// after each user action and each batch of delivered window messages, and
// hands the close request to the dialog, which asks first. A command that runs
// longer than kBusyAfterMs shows a busy cursor and a progress bar over the
// status line and keeps the window painted until it ends.
class ToolWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr qint64 kBusyAfterMs = 200;
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
    MessagePump& Pump() { return *pump_; }
    bool IsBusy() const { return busy_; }

signals:
    // The dialog connected to a chip since the last update.
    void Connected();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnOperation(bool running);
    void OnProgress(std::uint32_t done, std::uint32_t total);

    CDemoDlg& dialog_;
    std::function<std::string()> title_;
    DialogView* mainView_ = nullptr;
    SheetView* sheetView_ = nullptr;
    MessagePump* pump_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTimer* devicePoll_ = nullptr;
    DeviceDirectory* directory_ = nullptr;
    bool busy_ = false;
    bool wasConnected_ = false;
    bool busyShown_ = false;
    QElapsedTimer operationTime_;
    QElapsedTimer sinceEvents_;
    QString operationName_;
};

}  // namespace tovrik::gui
