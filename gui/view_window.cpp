// SPDX-License-Identifier: MIT
#include "view_window.h"

#include <QCloseEvent>

#include "app_icon.h"
#include "dialog_view.h"

namespace tovrik::gui {

ViewWindow::ViewWindow(Dialog& dialog, std::function<void()> afterInput, QWidget* parent)
    : QWidget(parent, Qt::Window), afterInput_(std::move(afterInput))
{
    setWindowIcon(AppIcon());
    setWindowTitle(QString::fromStdString(dialog.Title()));
    view_ = new DialogView(dialog, afterInput_, this);
    setFixedSize(view_->size());
}

bool ViewWindow::IsStale() const
{
    return view_->IsStale();
}

void ViewWindow::SyncFromModel()
{
    view_->SyncFromModel();
}

void ViewWindow::closeEvent(QCloseEvent* event)
{
    if (!IsStale()) {
        view_->Model().Destroy();
    }
    event->accept();
    if (afterInput_) {
        afterInput_();
    }
}

}  // namespace tovrik::gui
