// SPDX-License-Identifier: MIT
#include "tool_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QProgressBar>
#include <QStyle>
#include <QTabBar>
#include <QTimer>

#include "app/demo_dlg.h"
#include "app_icon.h"
#include "device/device_directory.h"
#include "dialog_view.h"
#include "message_pump.h"
#include "resources/resource_ids.h"
#include "sheet_view.h"
#include "view_window.h"

namespace tovrik::gui {

ToolWindow::ToolWindow(CDemoDlg& dialog, std::function<std::string()> title, QWidget* parent)
    : QWidget(parent), dialog_(dialog), title_(std::move(title))
{
    setWindowIcon(AppIcon());
    const auto sync = [this] { SyncFromModel(); };
    mainView_ = new DialogView(dialog_, sync, this);
    sheetView_ = new SheetView(dialog_.Sheet(), sync, mainView_);
    pump_ = new MessagePump(dialog_.Context(), sync, this);

    // The sheet takes its place from the template and grows to hold the largest
    // page, each measured in its own font; what lies below the sheet moves down by as much.
    const DialogUnits& units = mainView_->Units();
    const QRect templateArea = units.ToPixels(dialog_.Template().sheetArea);
    QSize page;
    for (PropertyPage* p : dialog_.AllPages()) {
        page = page.expandedTo(DialogView::PixelSize(p->Template(), sheetView_->font()));
    }
    sheetView_->SetPageSize(page);
    const QSize needed = sheetView_->minimumSizeHint();
    QRect area = templateArea;
    area.setWidth(std::max(area.width(), needed.width()));
    area.setHeight(std::max(area.height(), needed.height()));
    sheetView_->setGeometry(area);
    const int grownBy = area.bottom() - templateArea.bottom();
    for (QWidget* child : mainView_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child != sheetView_ && child->geometry().top() > templateArea.bottom()) {
            child->move(child->x(), child->y() + grownBy);
        }
    }
    const QSize dialogSize = mainView_->size();
    const int margin = static_cast<int>(units.x * 7);
    const QSize whole(std::max(dialogSize.width(), area.right() + 1 + margin),
                      dialogSize.height() + std::max(0, grownBy));
    mainView_->setFixedSize(whole);
    setFixedSize(whole);

    // The progress bar takes the place of the last operation's line while one runs.
    progress_ = new QProgressBar(mainView_);
    if (QWidget* line = mainView_->WidgetFor(IDC_STATUS_OPERATION)) {
        progress_->setGeometry(line->geometry());
    }
    progress_->setTextVisible(true);
    progress_->hide();
    dialog_.SetOperationObserver([this](const std::string& name, bool running) {
        busy_.OnOperation(name, running);
        pump_->SetPaused(busy_.HoldsBackMessages());
    });

    views_ = {{&dialog_.BackupsView(), nullptr}, {&dialog_.LogView(), nullptr}};
    dialog_.Context().SetViewShower([this](Dialog& view) { ShowView(view); });

    devicePoll_ = new QTimer(this);
    connect(devicePoll_, &QTimer::timeout, this, [this] {
        if (!busy_.IsRunning() && dialog_.IsWindow()) {
            dialog_.RefreshDeviceList();
            SyncFromModel();
        }
    });
    devicePoll_->start(kDevicePollMs);
    SyncFromModel();
}

ToolWindow::~ToolWindow()
{
    dialog_.Context().SetViewShower({});
    dialog_.SetOperationObserver({});
    if (directory_ != nullptr) {
        directory_->SetProgressHandler({});
    }
}

void ToolWindow::WatchProgress(DeviceDirectory& directory)
{
    directory_ = &directory;
    directory.SetProgressHandler(
        [this](std::uint32_t done, std::uint32_t total) { busy_.OnProgress(done, total); });
}

void ToolWindow::PauseBusyDisplay()
{
    busy_.Pause();
}

void ToolWindow::ShowBusy(bool shown)
{
    QWidget* line = mainView_->WidgetFor(IDC_STATUS_OPERATION);
    if (shown) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        if (line != nullptr) {
            line->hide();
        }
        progress_->show();
        progress_->raise();
        return;
    }
    progress_->hide();
    if (line != nullptr) {
        line->show();
    }
    QApplication::restoreOverrideCursor();
}

void ToolWindow::ShowProgress(const BusyProgress& progress)
{
    const QString name = QString::fromStdString(progress.operation);
    progress_->setFormat(progress.marquee ? name : name + QStringLiteral(": %p%"));
    // A range of 0 to 0 is the toolkit's "busy, amount unknown".
    progress_->setRange(0, static_cast<int>(progress.total));
    progress_->setValue(static_cast<int>(progress.done));
}

void ToolWindow::Repaint()
{
    // Painting, not input: the command runs on this thread and must not be re-entered.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ToolWindow::ShowView(Dialog& view)
{
    ViewWindow* window = nullptr;
    for (ViewWindow* open : Views()) {
        if (&open->View().Model() == &view && !open->IsStale()) {
            window = open;
        }
    }
    if (window == nullptr) {
        window = new ViewWindow(
            view, [this] { SyncFromModel(); }, this);
        shownViews_.emplace_back(window);
    }
    window->SyncFromModel();
    window->show();
    window->raise();
    window->activateWindow();
}

std::vector<ViewWindow*> ToolWindow::Views() const
{
    std::vector<ViewWindow*> open;
    for (const QPointer<ViewWindow>& window : shownViews_) {
        if (!window.isNull()) {
            open.push_back(window.data());
        }
    }
    return open;
}

void ToolWindow::BringToFront()
{
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void ToolWindow::SyncFromModel()
{
    // The pages' own writes keep backups too.
    if (dialog_.IsWindow()) {
        dialog_.ShowLastBackup();
    }
    mainView_->SyncFromModel();
    sheetView_->SyncFromModel();
    // A view whose dialog closed goes; later: this may run inside one of its own handlers.
    for (QPointer<ViewWindow>& window : shownViews_) {
        if (window.isNull()) {
            continue;
        }
        if (window->IsStale()) {
            window->hide();
            window->deleteLater();
            window.clear();
        } else {
            window->SyncFromModel();
        }
    }
    std::erase_if(shownViews_, [](const QPointer<ViewWindow>& window) { return window.isNull(); });
    sheetView_->setVisible(dialog_.IsWindow());
    SyncViews();
    const bool connected = dialog_.IsWindow() && dialog_.IsConnected() != 0;
    if (connected && !wasConnected_) {
        wasConnected_ = true;
        emit Connected();
    }
    wasConnected_ = connected;
    const QString title = QString::fromStdString(title_ ? title_() : dialog_.Title());
    if (windowTitle() != title) {
        setWindowTitle(title);
    }
}

void ToolWindow::SyncViews()
{
    for (OpenView& open : views_) {
        if (open.model->IsWindow()) {
            // A window made for an earlier opening of the view shows nothing of this one.
            if (open.window && open.window->View().IsStale()) {
                open.window->hide();
                open.window->deleteLater();
                open.window = nullptr;
            }
            if (!open.window) {
                open.window = new ViewWindow(
                    *open.model, [this] { SyncFromModel(); }, this);
                // The main window waits while the view is open, as it waits for a prompt.
                open.window->setWindowModality(Qt::WindowModal);
                open.window->show();
            }
            open.window->View().SyncFromModel();
        } else if (open.window) {
            // Closed from inside its own handler, so it goes once that returns.
            open.window->hide();
            open.window->deleteLater();
            open.window = nullptr;
        }
    }
}

ViewWindow* ToolWindow::ViewWindowFor(const Dialog& view) const
{
    for (const OpenView& open : views_) {
        if (open.model == &view) {
            return open.window;
        }
    }
    return nullptr;
}

void ToolWindow::closeEvent(QCloseEvent* event)
{
    // A close request that arrives while a command runs waits for the user to ask again.
    if (busy_.HoldsBackClose()) {
        event->ignore();
        return;
    }
    // The dialog asks "Exit ... ?" and destroys its window only on OK.
    if (dialog_.IsWindow() && !dialog_.OnClose()) {
        event->ignore();
        SyncFromModel();
        return;
    }
    event->accept();
}

}  // namespace tovrik::gui
