// SPDX-License-Identifier: MIT
#include "station_window.h"

#include <QCloseEvent>
#include <QSocketNotifier>

#include "app_icon.h"
#include "dialog_view.h"
#include "platform/instance_request.h"
#include "station/station_dlg.h"

namespace tovrik::gui {

StationWindow::StationWindow(CStationDlg& dialog, QWidget* parent)
    : QWidget(parent, Qt::Window), dialog_(dialog)
{
    setWindowIcon(AppIcon());
    setWindowTitle(QString::fromStdString(dialog_.Title()));
    // The station's progress arrives as window messages on this thread.
    dialog_.Context().SetAfterDispatch([this] { SyncFromModel(); });
}

StationWindow::~StationWindow()
{
    dialog_.Context().SetAfterDispatch({});
}

void StationWindow::ShowView()
{
    if (!dialog_.IsWindow()) {
        return;
    }
    if (view_ == nullptr || view_->IsStale()) {
        delete view_;
        view_ = new DialogView(
            dialog_, [this] { SyncFromModel(); }, this);
        setFixedSize(view_->size());
    }
    SyncFromModel();
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void StationWindow::SyncFromModel()
{
    if (view_ != nullptr && !view_->IsStale()) {
        view_->SyncFromModel();
    }
    // A window the dialog closed itself (or that was never opened) is not shown.
    if (!dialog_.IsWindow() && isVisible()) {
        hide();
    }
}

void StationWindow::closeEvent(QCloseEvent* event)
{
    if (dialog_.IsWindow() && !dialog_.OnClose()) {
        event->ignore();
        SyncFromModel();
        return;
    }
    event->accept();
}

InstanceRequestWatcher::InstanceRequestWatcher(std::unique_ptr<InstanceRequestListener> listener,
                                               std::function<void(const std::string&)> handle,
                                               QObject* parent)
    : QObject(parent), listener_(std::move(listener)), handle_(std::move(handle))
{
    notifier_ = new QSocketNotifier(listener_->WaitDescriptor(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        for (const std::string& request : listener_->Take()) {
            handle_(request);
        }
    });
}

InstanceRequestWatcher::~InstanceRequestWatcher() = default;

}  // namespace tovrik::gui
