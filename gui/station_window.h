// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

namespace tovrik {
class CStationDlg;
class InstanceRequestListener;
}  // namespace tovrik

namespace tovrik::gui {

class DialogView;

// The station window on the desktop: a top-level window of its own that
// renders the station dialog's template. Its view is built when the dialog's
// window opens (anew after it was closed) and is brought up to date after
// each input and after each window message the dialog takes, the station's
// progress included. Closing it hands the request to the dialog, which keeps
// the window while a run goes on.
class StationWindow : public QWidget {
    Q_OBJECT

public:
    explicit StationWindow(CStationDlg& dialog, QWidget* parent = nullptr);
    ~StationWindow() override;

    // Shows the dialog's window (building its view when needed) and brings it to the front.
    void ShowView();
    void SyncFromModel();
    // The view of the dialog's current window; nullptr before it was shown.
    DialogView* View() const { return view_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CStationDlg& dialog_;
    DialogView* view_ = nullptr;
};

// Takes the requests of a second start (platform/instance_request.h) on the
// event loop and hands each to `handle`.
class InstanceRequestWatcher : public QObject {
    Q_OBJECT

public:
    InstanceRequestWatcher(std::unique_ptr<InstanceRequestListener> listener,
                           std::function<void(const std::string&)> handle,
                           QObject* parent = nullptr);
    ~InstanceRequestWatcher() override;

private:
    std::unique_ptr<InstanceRequestListener> listener_;
    std::function<void(const std::string&)> handle_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tovrik::gui
