#include "tool_window.h"

#include <QCloseEvent>
#include <QStyle>
#include <QTabBar>

#include "app/demo_dlg.h"
#include "app_icon.h"
#include "dialog_view.h"
#include "message_pump.h"
#include "sheet_view.h"

namespace tovrik::gui {

ToolWindow::ToolWindow(CDemoDlg& dialog, std::function<std::string()> title, QWidget* parent)
    : QWidget(parent), dialog_(dialog), title_(std::move(title))
{
    setWindowIcon(AppIcon());
    const auto sync = [this] { SyncFromModel(); };
    mainView_ = new DialogView(dialog_, sync, this);
    sheetView_ = new SheetView(dialog_.Sheet(), sync, mainView_);
    pump_ = new MessagePump(dialog_.Context(), sync, this);

    // The sheet takes its place from the template and grows to hold a whole page.
    const DialogUnits& units = mainView_->Units();
    QRect area = units.ToPixels(dialog_.Template().sheetArea);
    QSize needed;
    for (PropertyPage* page : dialog_.AllPages()) {
        needed = needed.expandedTo(units.ToPixels(page->Template().rect).size());
    }
    // Room for the tab bar and the frame drawn around the pages.
    const int frame = 2 * sheetView_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
    needed += QSize(frame, frame + sheetView_->tabBar()->sizeHint().height());
    area.setWidth(std::max(area.width(), needed.width()));
    area.setHeight(std::max(area.height(), needed.height()));
    sheetView_->setGeometry(area);
    const QSize dialogSize = mainView_->size();
    const int margin = static_cast<int>(units.x * 7);
    const QSize whole(std::max(dialogSize.width(), area.right() + 1 + margin),
                      std::max(dialogSize.height(), area.bottom() + 1 + margin));
    mainView_->setFixedSize(whole);
    setFixedSize(whole);
    SyncFromModel();
}

ToolWindow::~ToolWindow() = default;

void ToolWindow::SyncFromModel()
{
    mainView_->SyncFromModel();
    sheetView_->SyncFromModel();
    sheetView_->setVisible(dialog_.IsWindow());
    const QString title = QString::fromStdString(title_ ? title_() : dialog_.Title());
    if (windowTitle() != title) {
        setWindowTitle(title);
    }
}

void ToolWindow::closeEvent(QCloseEvent* event)
{
    // The dialog asks "Exit ... ?" and destroys its window only on OK.
    if (dialog_.IsWindow() && !dialog_.OnClose()) {
        event->ignore();
        SyncFromModel();
        return;
    }
    event->accept();
}

}  // namespace tovrik::gui
