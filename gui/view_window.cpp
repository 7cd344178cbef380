// SPDX-License-Identifier: MIT
#include "view_window.h"

#include "app_icon.h"
#include "dialog_view.h"
#include "platform/dialog.h"

namespace tovrik::gui {

ViewWindow::ViewWindow(Dialog& dialog, std::function<void()> afterInput, QWidget* parent)
    : QDialog(parent), dialog_(dialog), afterInput_(std::move(afterInput))
{
    setWindowIcon(AppIcon());
    setWindowTitle(QString::fromStdString(dialog.Title()));
    setObjectName(QString::fromStdString("tovrikView" + dialog.Title()));
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

void ViewWindow::reject()
{
    if (!view_->IsStale()) {
        dialog_.Destroy();
    }
    if (afterInput_) {
        afterInput_();
    }
}

}  // namespace tovrik::gui
